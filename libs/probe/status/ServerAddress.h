// Where a game server is, as the user types it: "host" or "host:port", host a name or a
// dotted IPv4 address. Portable: nothing is resolved here.
#ifndef KVX_PROBE_SERVERADDRESS_H
#define KVX_PROBE_SERVERADDRESS_H

#include <cstdint>
#include <string>

namespace kvxprobe {

class ServerAddress {
public:
    static const std::uint16_t kDefaultPort = 27910; // Quake II's own
    static const std::size_t kMaxHost = 253;         // the longest DNS name

    ServerAddress() = default;
    ServerAddress(std::string host, std::uint16_t port) : host_(std::move(host)), port_(port) {}

    // Reads text with blanks around it allowed. False with a sentence for the user in error
    // when it is not a host name or IPv4 address with an optional port from 1 to 65535.
    static bool Parse(const std::string& text, ServerAddress& out, std::string& error);

    const std::string& host() const { return host_; }
    std::uint16_t port() const { return port_; }
    std::string Text() const; // host:port

    // Host names compare without regard to case, as DNS does.
    bool operator==(const ServerAddress& other) const;
    bool operator!=(const ServerAddress& other) const { return !(*this == other); }

private:
    std::string host_;
    std::uint16_t port_ = kDefaultPort;
};

} // namespace kvxprobe

#endif

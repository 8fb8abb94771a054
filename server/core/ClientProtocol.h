// The server's side of one client's conversation, free of sockets: frames in, frames out.
//   AwaitVersion --VERSION ok--> AwaitLogin --LOGIN ok--> Online
// A sign-up leaves the state at AwaitLogin: the client logs in with the new account next.
// A refused login stays at AwaitLogin so the client can show its error and hang up itself.
// Once Online, the contact packets go to the contact service with this connection as the
// account's session, which ends when the connection closes. Keep-alives are welcome in every state. Anything the client
// should never send this way (a login before the version, a short record, a long run of unknown packets) drops it.
#ifndef KVX_SERVER_CLIENTPROTOCOL_H
#define KVX_SERVER_CLIENTPROTOCOL_H

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "AccountService.h"
#include "ContactService.h"
#include "ContactSink.h"
#include "Options.h"
#include "ProtocolPeer.h"

namespace kvxserver {

class ClientProtocol : public ContactSink {
public:
    // More packets than this in a row that mean nothing here, and the client is dropped.
    static constexpr unsigned kMaxIgnoredInARow = 100;

    // address: the client's IP address as text, the key of its rate limits.
    // ipv4: that address in network order, or zeros; tag: how log lines name the connection.
    ClientProtocol(AccountService& accounts, ContactService& contacts, const Options& options, ProtocolPeer& peer,
                   std::string address, std::array<std::uint8_t, 4> ipv4, std::string tag);
    ~ClientProtocol() override;
    ClientProtocol(const ClientProtocol&) = delete;
    ClientProtocol& operator=(const ClientProtocol&) = delete;

    // Takes one whole frame. Returns false when the client must be dropped; reason says why.
    // Must not be called while Busy().
    bool OnFrame(std::uint16_t type, const std::uint8_t* payload, std::size_t length, std::string& reason);

    // True while a login or sign-up is being checked; its answer goes out first, and the
    // peer's Resume follows.
    bool Busy() const { return busy_; }

    // The connection has ended: the account's session leaves, and its watchers hear of it
    // if it was the last. Harmless when called again.
    void OnClosed();

    void Deliver(std::uint16_t type, const void* payload, std::size_t length) override;
    void End(const char* reason) override;

private:
    enum class State { AwaitVersion, AwaitLogin, Online };

    bool OnVersion(const std::uint8_t* payload, std::size_t length, std::string& reason);
    bool OnLogin(const std::uint8_t* payload, std::size_t length, std::string& reason);
    bool OnSignup(const std::uint8_t* payload, std::size_t length, std::string& reason);
    bool Ignore(std::uint16_t type, std::string& reason);
    void SendText(std::uint16_t type, const std::string& text);
    void SendIpInfo();
    void SendGameServers();
    void Done();

    AccountService& accounts_;
    ContactService& contacts_;
    const Options& options_;
    ProtocolPeer& peer_;
    std::string address_;
    std::array<std::uint8_t, 4> ipv4_;
    std::string tag_;
    State state_ = State::AwaitVersion;
    std::int32_t account_ = 0;
    bool busy_ = false;
    bool joined_ = false; // a session of account_ in the contact service
    unsigned ignoredInARow_ = 0;
    // Answers hold a weak reference: one arriving after the connection is gone does nothing.
    std::shared_ptr<char> alive_ = std::make_shared<char>();
};

} // namespace kvxserver

#endif

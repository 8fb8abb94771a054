// One client's TCP connection: starts TLS when the client's first byte opens a handshake
// (refusing a client that speaks in clear unless the options allow it), reads bytes into frames for its ClientProtocol,
// writes the protocol's frames out in order, and closes the connection when no whole frame came within the first-frame
// time, when the client falls silent for three keep-alive periods (partial frames do not count), misbehaves, or is
// done. Lives in a shared_ptr: every pending asynchronous operation holds it, the server's registry until it closes.
#ifndef KVX_SERVER_CONNECTION_H
#define KVX_SERVER_CONNECTION_H

#include <asio.hpp>
#include <asio/ssl.hpp>

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "AccountService.h"
#include "ClientProtocol.h"
#include "ContactService.h"
#include "FrameReader.h"
#include "Options.h"
#include "ProtocolPeer.h"

namespace kvxserver {

class Connection : public ProtocolPeer, public std::enable_shared_from_this<Connection> {
public:
    // Called once, when the connection closes for whatever reason.
    using ClosedHandler = std::function<void(Connection&)>;

    // Replies a client has not read yet beyond this, and it is dropped. The largest answer
    // to one request, a full contact list and every stored event (about 1.35 MB), fits.
    static constexpr std::size_t kMaxOutbox = 2 * 1024 * 1024;
    // While more than this waits to be read, the client's next requests wait too: one that
    // does not read cannot have answer after answer queued.
    static constexpr std::size_t kInputPause = 64 * 1024;

    Connection(asio::ip::tcp::socket socket, const asio::ip::tcp::endpoint& remote, std::uint64_t id,
               AccountService& accounts, ContactService& contacts, const Options& options, asio::ssl::context& tls,
               ClosedHandler onClosed);

    void Start();
    // Closes at once; reason goes to the log. Harmless when already closed.
    void Close(const std::string& reason);

    const std::string& address() const { return address_; }

    void Send(std::uint16_t type, const void* payload, std::size_t length) override;
    void Finish(const char* reason) override;
    void Resume() override;

private:
    void Sniff();
    void OnSniffed(const asio::error_code& error, std::size_t n);
    void Read();
    void OnRead(const asio::error_code& error, std::size_t n);
    void ProcessInput();
    void Write();
    void OnWrite(const asio::error_code& error);
    void Linger();
    void ArmTimer();
    void OnTimer(const asio::error_code& error);

    asio::ssl::stream<asio::ip::tcp::socket> stream_;
    asio::ip::tcp::socket& socket_; // under the TLS layer
    asio::steady_timer timer_;
    const Options& options_;
    std::string address_;
    std::string tag_;
    ClosedHandler onClosed_;
    FrameReader reader_;
    ClientProtocol protocol_;
    std::deque<std::vector<std::uint8_t>> outbox_;
    std::size_t outboxBytes_ = 0;
    std::array<std::uint8_t, 512> discard_{};
    std::array<std::uint8_t, 1> first_{};
    asio::steady_timer::time_point deadline_;
    std::string finishReason_;
    bool heard_ = false; // a whole frame has come
    bool tls_ = false;   // the client started TLS; every byte goes through stream_
    bool reading_ = false;
    bool writing_ = false;
    bool finishing_ = false; // no more input; close once the outbox is empty
    bool lingering_ = false; // our side shut down; waiting for the client's end
    bool closed_ = false;
    bool closing_ = false; // a close is on its way; nothing more is queued
};

} // namespace kvxserver

#endif

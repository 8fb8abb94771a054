// Answers clients' round-trip pings: a UDP datagram holding one PKT_SERVER_PING frame, sent
// to the server's own address and port, comes back as PKT_SERVER_PONG with the same payload
// and size, so an answer never outweighs its question. Anything else is dropped unanswered.
// Runs on the event loop; nothing is kept between datagrams.
#ifndef KVX_SERVER_PINGRESPONDER_H
#define KVX_SERVER_PINGRESPONDER_H

#include <asio.hpp>

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "wire/Frame.h"

namespace kvxserver {

class PingResponder {
public:
    explicit PingResponder(asio::io_context& loop);

    // Binds the UDP port of the TCP endpoint the server listens on; false with the reason.
    bool Listen(const asio::ip::tcp::endpoint& endpoint, std::string& error);
    void Stop();

    // The answer to one datagram written to out (kMaxFrame bytes): its size, or 0 when the
    // datagram is not exactly one ping frame.
    static std::size_t Answer(const std::uint8_t* datagram, std::size_t size, std::uint8_t* out);

private:
    void Receive();

    asio::ip::udp::socket socket_;
    asio::ip::udp::endpoint peer_;
    std::array<std::uint8_t, kvxwire::kMaxFrame> in_{};
    std::array<std::uint8_t, kvxwire::kMaxFrame> out_{};
};

} // namespace kvxserver

#endif

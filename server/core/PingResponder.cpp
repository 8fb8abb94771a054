#include "PingResponder.h"

#include "wire/Packets.h"

namespace kvxserver {

PingResponder::PingResponder(asio::io_context& loop) : socket_(loop) {}

bool PingResponder::Listen(const asio::ip::tcp::endpoint& endpoint, std::string& error)
{
    const asio::ip::udp::endpoint local(endpoint.address(), endpoint.port());
    asio::error_code ec;
    socket_.open(local.protocol(), ec);
    if (!ec) socket_.bind(local, ec);
    if (ec) {
        error = "cannot answer pings on UDP port " + std::to_string(local.port()) + ": " + ec.message();
        socket_.close(ec);
        return false;
    }
    Receive();
    return true;
}

void PingResponder::Stop()
{
    asio::error_code ignored;
    socket_.close(ignored);
}

std::size_t PingResponder::Answer(const std::uint8_t* datagram, std::size_t size, std::uint8_t* out)
{
    const kvxwire::FrameView ping = kvxwire::PeekFrame(datagram, size);
    if (ping.state != kvxwire::FrameState::Complete || ping.type != PKT_SERVER_PING || ping.frameSize != size ||
        ping.length != sizeof(PingStamp)) {
        return 0;
    }
    return kvxwire::EncodeFrame(PKT_SERVER_PONG, ping.payload, ping.length, out, kvxwire::kMaxFrame);
}

void PingResponder::Receive()
{
    socket_.async_receive_from(asio::buffer(in_), peer_, [this](const asio::error_code& error, std::size_t size) {
        if (error == asio::error::operation_aborted || !socket_.is_open()) return;
        if (!error) {
            const std::size_t answer = Answer(in_.data(), size, out_.data());
            asio::error_code ignored; // a lost answer is a lost ping: the client says so
            if (answer > 0) socket_.send_to(asio::buffer(out_.data(), answer), peer_, 0, ignored);
        }
        Receive();
    });
}

} // namespace kvxserver

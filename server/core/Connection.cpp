#include "Connection.h"

#include "Log.h"
#include "wire/Frame.h"

namespace kvxserver {

namespace {

// How long a finished connection waits for the client to hang up after our last frame.
// Closing with unread input would reset the connection and could destroy that frame.
constexpr auto kLingerTime = std::chrono::seconds(2);
// The first byte of a TLS handshake record.
constexpr std::uint8_t kTlsHandshake = 0x16;

std::array<std::uint8_t, 4> Ipv4Of(const asio::ip::address& address)
{
    if (address.is_v4()) return address.to_v4().to_bytes();
    if (address.is_v6() && address.to_v6().is_v4_mapped()) {
        return asio::ip::make_address_v4(asio::ip::v4_mapped, address.to_v6()).to_bytes();
    }
    return {};
}

std::string TagOf(std::uint64_t id, const asio::ip::tcp::endpoint& remote)
{
    return "conn " + std::to_string(id) + " " + remote.address().to_string() + ":" + std::to_string(remote.port());
}

} // namespace

Connection::Connection(asio::ip::tcp::socket socket, const asio::ip::tcp::endpoint& remote, std::uint64_t id,
                       AccountService& accounts, ContactService& contacts, const Options& options,
                       asio::ssl::context& tls, ClosedHandler onClosed)
    : stream_(std::move(socket), tls), socket_(stream_.next_layer()), timer_(socket_.get_executor()), options_(options),
      address_(remote.address().to_string()), tag_(TagOf(id, remote)), onClosed_(std::move(onClosed)),
      protocol_(accounts, contacts, options, *this, address_, Ipv4Of(remote.address()), tag_)
{
}

void Connection::Start()
{
    LogLine("%s: accepted", tag_.c_str());
    asio::error_code ignored;
    socket_.set_option(asio::ip::tcp::no_delay(true), ignored);
    // Until its first frame a connection has only a short while: one that never says
    // anything valid must not hold a slot for three keep-alive periods.
    deadline_ = asio::steady_timer::clock_type::now() + std::chrono::seconds(options_.firstFrameSeconds);
    ArmTimer();
    Sniff();
}

// The first-frame deadline covers the handshake too: a stalled one is dropped in time.
void Connection::Sniff()
{
    socket_.async_receive(
        asio::buffer(first_), asio::socket_base::message_peek,
        [self = shared_from_this()](const asio::error_code& error, std::size_t n) { self->OnSniffed(error, n); });
}

void Connection::OnSniffed(const asio::error_code& error, std::size_t n)
{
    if (closed_) return;
    if (error || n == 0) {
        Close(error ? error.message() : std::string("client hung up"));
        return;
    }
    if (first_[0] != kTlsHandshake) {
        if (!options_.allowPlaintext) {
            Close("refused: no TLS handshake");
            return;
        }
        Read();
        return;
    }
    tls_ = true;
    stream_.async_handshake(asio::ssl::stream_base::server,
                            [self = shared_from_this()](const asio::error_code& failed) {
                                if (self->closed_) return;
                                if (failed) {
                                    self->Close("TLS handshake failed: " + failed.message());
                                    return;
                                }
                                self->Read();
                            });
}

void Connection::Close(const std::string& reason)
{
    if (closed_) return;
    closed_ = true;
    LogLine("%s: closed: %s", tag_.c_str(), reason.c_str());
    asio::error_code ignored;
    timer_.cancel();
    socket_.shutdown(asio::ip::tcp::socket::shutdown_both, ignored);
    socket_.close(ignored);
    outbox_.clear();
    protocol_.OnClosed();
    if (onClosed_) {
        ClosedHandler handler = std::move(onClosed_);
        onClosed_ = nullptr;
        handler(*this);
    }
}

void Connection::Read()
{
    if (reading_ || closed_) return;
    std::uint8_t* space = lingering_ ? discard_.data() : reader_.Space();
    const std::size_t size = lingering_ ? discard_.size() : reader_.SpaceSize();
    if (size == 0) return;
    reading_ = true;
    auto done = [self = shared_from_this()](const asio::error_code& error, std::size_t n) { self->OnRead(error, n); };
    if (tls_) {
        stream_.async_read_some(asio::buffer(space, size), std::move(done));
    } else {
        socket_.async_read_some(asio::buffer(space, size), std::move(done));
    }
}

void Connection::OnRead(const asio::error_code& error, std::size_t n)
{
    reading_ = false;
    if (closed_) return;
    if (error) {
        if (lingering_) {
            Close(finishReason_);
        } else {
            const bool hungUp = error == asio::error::eof || error == asio::ssl::error::stream_truncated;
            Close(hungUp ? std::string("client hung up") : error.message());
        }
        return;
    }
    if (lingering_ || finishing_) {
        Read();
        return;
    }
    reader_.Commit(n);
    ProcessInput();
}

void Connection::ProcessInput()
{
    while (!closed_ && !finishing_) {
        // Input waits while the protocol is busy or the client is behind on its replies, with
        // no read started: frames consumed later would move the buffer under that read.
        if (protocol_.Busy() || outboxBytes_ > kInputPause) return;
        const kvxwire::FrameView frame = reader_.Peek();
        if (frame.state == kvxwire::FrameState::NeedMore) break;
        if (frame.state == kvxwire::FrameState::Broken) {
            Close("broken frame: type " + std::to_string(frame.type) + ", payload length " +
                  std::to_string(frame.length));
            return;
        }
        heard_ = true;
        deadline_ = asio::steady_timer::clock_type::now() + 3 * std::chrono::seconds(options_.keepAliveSeconds);
        std::string reason;
        const bool keep = protocol_.OnFrame(frame.type, frame.payload, frame.length, reason);
        reader_.Consume(frame.frameSize);
        if (!keep) {
            Close(reason);
            return;
        }
    }
    if (!finishing_) Read();
}

void Connection::Send(std::uint16_t type, const void* payload, std::size_t length)
{
    if (closed_ || finishing_ || closing_) return;
    std::vector<std::uint8_t> frame(kvxwire::kHeaderSize + length);
    if (kvxwire::EncodeFrame(type, payload, length, frame.data(), frame.size()) == 0) {
        LogLine("%s: frame of type %u with %zu bytes cannot be sent", tag_.c_str(), type, length);
        return;
    }
    outboxBytes_ += frame.size();
    if (outboxBytes_ > kMaxOutbox) {
        // Later, not now: this may be another user's presence being fanned out, and closing
        // here would change the presence tables while they are being walked.
        closing_ = true;
        asio::post(socket_.get_executor(), [self = shared_from_this()] { self->Close("not reading its replies"); });
        return;
    }
    outbox_.push_back(std::move(frame));
    Write();
}

void Connection::Write()
{
    if (writing_ || closed_ || outbox_.empty()) return;
    writing_ = true;
    auto done = [self = shared_from_this()](const asio::error_code& error, std::size_t) { self->OnWrite(error); };
    if (tls_) {
        asio::async_write(stream_, asio::buffer(outbox_.front()), std::move(done));
    } else {
        asio::async_write(socket_, asio::buffer(outbox_.front()), std::move(done));
    }
}

void Connection::OnWrite(const asio::error_code& error)
{
    writing_ = false;
    if (closed_) return;
    if (error) {
        Close("write failed: " + error.message());
        return;
    }
    const bool paused = outboxBytes_ > kInputPause;
    outboxBytes_ -= outbox_.front().size();
    outbox_.pop_front();
    if (!outbox_.empty()) {
        Write();
    } else if (finishing_) {
        Linger();
    }
    // Read far enough: the requests that waited are answered now.
    if (paused && outboxBytes_ <= kInputPause) Resume();
}

void Connection::Finish(const char* reason)
{
    if (closed_ || finishing_) return;
    finishing_ = true;
    finishReason_ = reason;
    if (!writing_ && outbox_.empty()) Linger();
}

void Connection::Linger()
{
    lingering_ = true;
    asio::error_code ignored;
    socket_.shutdown(asio::ip::tcp::socket::shutdown_send, ignored);
    deadline_ = asio::steady_timer::clock_type::now() + kLingerTime;
    ArmTimer();
    Read();
}

void Connection::Resume()
{
    // Later, not now: Resume arrives from inside the protocol's answer, and going on with
    // input here could close this connection while that answer is still on the stack.
    asio::post(socket_.get_executor(), [self = shared_from_this()] {
        if (!self->closed_) self->ProcessInput();
    });
}

void Connection::ArmTimer()
{
    timer_.expires_at(deadline_);
    timer_.async_wait([self = shared_from_this()](const asio::error_code& error) { self->OnTimer(error); });
}

void Connection::OnTimer(const asio::error_code& error)
{
    if (closed_ || error == asio::error::operation_aborted) return;
    if (asio::steady_timer::clock_type::now() < deadline_) {
        ArmTimer();
        return;
    }
    if (lingering_) {
        Close(finishReason_);
    } else if (!heard_) {
        Close("no whole frame within " + std::to_string(options_.firstFrameSeconds) + " s");
    } else {
        Close("silent for " + std::to_string(3 * options_.keepAliveSeconds) + " s");
    }
}

} // namespace kvxserver

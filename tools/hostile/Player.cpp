#include "Player.h"

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "wire/Frame.h"
#include "wire/Packets.h"

namespace kvxhostile {

namespace {

// A split frame goes out one byte per segment, so every cut point reaches the client.
const auto kSplitPause = std::chrono::milliseconds(1);

std::string Frame(std::uint16_t type, const std::string& payload)
{
    std::string frame(kvxwire::kHeaderSize + payload.size(), '\0');
    auto* bytes = reinterpret_cast<std::uint8_t*>(frame.data());
    const std::size_t size = kvxwire::EncodeFrame(type, payload.data(), payload.size(), bytes, frame.size());
    frame.resize(size);
    return frame;
}

} // namespace

Player::Player(int socket, unsigned seed, SSL_CTX* tls) : m_socket(socket), m_tls(tls), m_random(seed)
{
    const int on = 1;
    setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

Player::~Player() { Close(false); }

std::string Player::Play(const Script& script)
{
    if (!script.Plain()) {
        m_ssl = SSL_new(m_tls);
        SSL_set_fd(m_ssl, m_socket);
        if (SSL_accept(m_ssl) != 1) return "no TLS handshake";
    }
    for (const Step& step : script.Steps()) {
        if (!Run(step)) return "the client went away at line " + std::to_string(step.line);
        if (m_socket < 0) break;
    }
    return "done";
}

bool Player::Run(const Step& step)
{
    switch (step.op) {
    case Op::Expect: return Expect(step.type);
    case Op::Send: return SendFrame(step.type, Payload(step));
    case Op::Event:
        for (std::uint32_t length = step.a; length <= step.b; ++length) {
            EventHead head = {};
            head.kind = step.type;
            head.length = static_cast<std::uint16_t>(length);
            std::string payload(reinterpret_cast<const char*>(&head), sizeof head);
            payload += std::string(kEventDataOffset - sizeof head, '\0');
            payload += Random(std::min<std::size_t>(length, kvxwire::kMaxPayload - payload.size()));
            if (!SendFrame(PKT_NEW_EVENT, payload)) return false;
        }
        return true;
    case Op::EveryType:
        for (std::uint32_t type = step.a; type <= step.b; ++type) {
            if (std::find(step.except.begin(), step.except.end(), type) != step.except.end()) continue;
            const std::size_t length = std::uniform_int_distribution<std::size_t>(0, kvxwire::kMaxPayload)(m_random);
            if (!SendFrame(static_cast<std::uint16_t>(type), Random(length))) return false;
        }
        return true;
    case Op::Flood: {
        std::string all;
        for (std::uint32_t i = 0; i < step.a; ++i) all += Frame(step.type, Random(step.b));
        return Write(all);
    }
    case Op::Raw: return Write(step.bytes);
    case Op::Record: return WriteUnder(step.bytes);
    case Op::Plain: return true;
    case Op::Garbage: return Write(Random(step.a));
    case Op::Split: m_split = step.a != 0; return true;
    case Op::Sleep: std::this_thread::sleep_for(std::chrono::milliseconds(step.a)); return true;
    case Op::Hold: Hold(); return true;
    case Op::Close: Close(false); return true;
    case Op::Reset: Close(true); return true;
    }
    return false;
}

std::string Player::Payload(const Step& step)
{
    switch (step.fill) {
    case Fill::None: return std::string();
    case Fill::Text: return step.bytes + '\0';
    case Fill::Repeat: return std::string(step.a, static_cast<char>(step.b));
    case Fill::Random: return Random(step.a);
    }
    return std::string();
}

bool Player::Expect(std::uint16_t type)
{
    for (;;) {
        const kvxwire::FrameView frame = kvxwire::PeekFrame(m_received.data(), m_received.size());
        if (frame.state == kvxwire::FrameState::Broken) return false;
        if (frame.state == kvxwire::FrameState::Complete) {
            const bool wanted = frame.type == type;
            m_received.erase(m_received.begin(), m_received.begin() + static_cast<std::ptrdiff_t>(frame.frameSize));
            if (wanted) return true;
            continue;
        }
        std::uint8_t chunk[4096];
        const long got = Read(chunk, sizeof chunk);
        if (got <= 0) return false;
        m_received.insert(m_received.end(), chunk, chunk + got);
    }
}

bool Player::SendFrame(std::uint16_t type, const std::string& payload) { return Write(Frame(type, payload)); }

long Player::Read(std::uint8_t* into, std::size_t size)
{
    return m_ssl ? SSL_read(m_ssl, into, static_cast<int>(size)) : recv(m_socket, into, size, 0);
}

bool Player::WriteUnder(const std::string& bytes)
{
    return send(m_socket, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
}

bool Player::Write(const std::string& bytes)
{
    const std::size_t step = m_split ? 1 : bytes.size();
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t size = std::min(step, bytes.size() - at);
        const long sent = m_ssl ? SSL_write(m_ssl, bytes.data() + at, static_cast<int>(size))
                                : send(m_socket, bytes.data() + at, size, MSG_NOSIGNAL);
        if (sent <= 0) return false;
        at += static_cast<std::size_t>(sent);
        if (m_split) std::this_thread::sleep_for(kSplitPause);
    }
    return true;
}

void Player::Hold()
{
    std::uint8_t chunk[4096];
    while (Read(chunk, sizeof chunk) > 0) {}
}

void Player::Close(bool reset)
{
    if (m_socket < 0) return;
    if (m_ssl) {
        if (!reset) SSL_shutdown(m_ssl); // the client hears close_notify first
        SSL_free(m_ssl);
        m_ssl = nullptr;
    }
    if (reset) {
        // A zero linger time makes close() send a reset instead of an orderly end.
        const linger abort = {1, 0};
        setsockopt(m_socket, SOL_SOCKET, SO_LINGER, &abort, sizeof abort);
    }
    close(m_socket);
    m_socket = -1;
}

std::string Player::Random(std::size_t size)
{
    std::string bytes(size, '\0');
    for (char& byte : bytes) byte = static_cast<char>(m_random() & 0xFF);
    return bytes;
}

} // namespace kvxhostile

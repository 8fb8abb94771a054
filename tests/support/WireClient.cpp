#include "support/WireClient.h"

#include <chrono>

#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const std::uint8_t* Bytes(const std::string& bytes) { return reinterpret_cast<const std::uint8_t*>(bytes.data()); }

} // namespace

std::string Frame(std::uint16_t type, const std::string& payload)
{
    std::string out(kvxwire::kHeaderSize + payload.size(), '\0');
    out.resize(kvxwire::EncodeFrame(type, payload.data(), payload.size(), reinterpret_cast<std::uint8_t*>(&out[0]),
                                    out.size()));
    return out;
}

long long NowMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool WirePeer::SendRaw(const void* bytes, std::size_t length) { return Connected() && Write(bytes, length); }

bool WirePeer::Send(std::uint16_t type, const void* payload, std::size_t length)
{
    const std::string frame = Frame(type, std::string(static_cast<const char*>(payload), length));
    return !frame.empty() && SendRaw(frame);
}

int WirePeer::Fill(long long deadline)
{
    const int got = m_ended ? -1 : Read(m_held, static_cast<int>(deadline - NowMs()));
    m_ended = got < 0;
    return got;
}

Packet WirePeer::Receive(int timeoutMs)
{
    const long long deadline = NowMs() + timeoutMs;
    for (;;) {
        const kvxwire::FrameView frame = kvxwire::PeekFrame(Bytes(m_held), m_held.size());
        if (frame.state == kvxwire::FrameState::Complete) {
            Packet packet{frame.type, std::string(reinterpret_cast<const char*>(frame.payload), frame.length)};
            m_held.erase(0, frame.frameSize);
            return packet;
        }
        if (frame.state == kvxwire::FrameState::Broken || Fill(deadline) <= 0) return Packet{};
    }
}

bool WirePeer::ClosedWithin(int timeoutMs)
{
    const long long deadline = NowMs() + timeoutMs;
    while (Fill(deadline) > 0) m_held.clear();
    return m_ended;
}

std::uint16_t WirePeer::Version(std::uint32_t build)
{
    std::uint8_t payload[4];
    kvxwire::WriteU32(payload, build);
    Send(PKT_VERSION, payload, sizeof payload);
    return Receive().type;
}

std::int32_t WirePeer::Signup(const std::string& nickname, const std::string& email, const std::string& password,
                              std::string* error)
{
    SignupRequestRecord record{};
    nickname.copy(record.nickname, sizeof record.nickname); // no NUL when it fills the field
    email.copy(record.email, sizeof record.email);
    password.copy(record.password, sizeof record.password);
    Send(PKT_SIGNUP_REQUEST, &record, sizeof record);
    const Packet answer = Receive();
    if (answer.type == PKT_SIGNUP_OK && answer.payload.size() >= sizeof(SignupOkRecord))
        return static_cast<std::int32_t>(kvxwire::ReadU32(Bytes(answer.payload)));
    if (error != nullptr && answer.type == PKT_SIGNUP_ERROR) *error = answer.payload.c_str();
    return 0;
}

std::uint16_t WirePeer::Login(std::int32_t account, const std::string& password)
{
    LoginRecord record{account, {}};
    password.copy(record.password, sizeof record.password);
    Send(PKT_LOGIN, &record, sizeof record);
    return Receive().type;
}

bool WirePeer::WaitForEvent(std::uint16_t kind, std::string* data)
{
    for (Packet packet; (packet = Receive()).type != 0;)
        if (packet.type == PKT_NEW_EVENT && packet.payload.size() >= kEventDataOffset &&
            kvxwire::ReadU16(Bytes(packet.payload)) == kind) {
            if (data) *data = packet.payload.substr(kEventDataOffset);
            return true;
        }
    return false;
}

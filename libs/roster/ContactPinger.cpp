#include "ContactPinger.h"

#include "artres/artres.h"
#include "records/ThisModule.h"
#include "records/WindowClass.h"
#include "sockio/sockio.h"
#include "winkit/winkit.h"

namespace {

const char kClassName[] = "KVXPinger";

} // namespace

std::string CContactPinger::Milliseconds(long long microseconds)
{
    if (microseconds < 1000) return "under 1 ms";
    return std::to_string((microseconds + 500) / 1000) + " ms";
}

CContactPinger::CContactPinger() : m_window(nullptr), m_lastTag(0) {}

CContactPinger::~CContactPinger()
{
    if (IsWindow(m_window)) DestroyWindow(m_window);
}

bool CContactPinger::MakeWindow()
{
    if (IsWindow(m_window)) return true;
    if (!RegisterWindowClassOnce(ThisModule(), kClassName, &WindowProc, nullptr)) return false;
    m_window = CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ThisModule(), nullptr);
    if (m_window) SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    return m_window != nullptr;
}

bool CContactPinger::Ping(UINT_PTR socket, std::int32_t account, const std::string& name)
{
    if (!MakeWindow()) return false;
    const std::uint32_t tag = ++m_lastTag;
    Waiting waiting = {name, {}};
    QueryPerformanceCounter(&waiting.sent);
    const PingRecord ping = {account, 0, tag, PING_ANSWERED, 0};
    if (!SK_WPacket(socket, PKT_CONTACT_PING, &ping, sizeof ping)) return false;
    m_waiting[tag] = waiting;
    SetTimer(m_window, tag, kTimeoutMs, nullptr);
    return true;
}

void CContactPinger::Answer(UINT_PTR socket, const PingRecord& ping)
{
    const PingRecord reply = {ping.from, 0, ping.tag, PING_ANSWERED, 0};
    SK_WPacket(socket, PKT_PING_REPLY, &reply, sizeof reply);
}

void CContactPinger::OnReply(const PingRecord& reply)
{
    const auto waiting = m_waiting.find(reply.tag);
    if (waiting == m_waiting.end()) return;
    const std::string name = waiting->second.name;
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    const long long took = (now.QuadPart - waiting->second.sent.QuadPart) * 1000000 / frequency.QuadPart;
    Forget(reply.tag);
    if (reply.result == PING_OFFLINE) {
        ShowOffline(name);
        return;
    }
    Show(name, Milliseconds(took),
         "The round trip from your client through the KVX server to " + name + "'s client and back took " +
             Milliseconds(took) + ".");
}

void CContactPinger::OnTimeout(std::uint32_t tag)
{
    const auto waiting = m_waiting.find(tag);
    if (waiting == m_waiting.end()) return;
    const std::string name = waiting->second.name;
    Forget(tag);
    Show(name, "no answer in 5 s", name + "'s client did not answer within 5 seconds.");
}

void CContactPinger::ShowOffline(const std::string& name) { Show(name, "offline", name + " is offline."); }

void CContactPinger::Forget(std::uint32_t tag)
{
    KillTimer(m_window, tag);
    m_waiting.erase(tag);
}

void CContactPinger::Show(const std::string& name, const std::string& result, const std::string& sentence)
{
    WK_Info((name + ": " + result).c_str(), sentence.c_str(), AR_Icon("On"));
}

LRESULT CALLBACK CContactPinger::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CContactPinger* self = reinterpret_cast<CContactPinger*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (message != WM_TIMER || !self) return DefWindowProcA(window, message, wParam, lParam);
    self->OnTimeout(static_cast<std::uint32_t>(wParam));
    return 0;
}

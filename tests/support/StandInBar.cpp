#include "support/StandInBar.h"

#include "records/Bar.h"
#include "wire/Frame.h"

namespace {

const char kClass[] = "KVXStandInBar";
const UINT kDeliver = WM_APP + 1;

// `out` holding one frame's type and payload.
void Hold(PACKET_DATA* out, uint16_t type, const void* payload, size_t length)
{
    memset(out, 0, sizeof *out);
    out->type = type;
    out->length = static_cast<uint16_t>(length);
    memcpy(out->payload, payload, length);
}

} // namespace

StandInBar::StandInBar(std::function<void(HDC)> paint, int height) : m_paint(std::move(paint))
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = &Proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kClass;
    RegisterClassA(&wc);
    m_window = CreateWindowExA(WS_EX_TOOLWINDOW, kClass, "KVX", WS_POPUP | (m_paint ? WS_VISIBLE : 0), 700, 100, 199,
                               height, nullptr, nullptr, wc.hInstance, nullptr);
    SetWindowLongPtrA(m_window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Connect();
}

StandInBar::~StandInBar()
{
    closesocket(m_client);
    DestroyWindow(m_window);
}

void StandInBar::Connect()
{
    if (m_client != INVALID_SOCKET) closesocket(m_client);
    m_toClient.clear();
    m_server = std::make_unique<WirePeer>();
    m_client = static_cast<SOCKET>(m_server->TakeOther());
    // The client's connection works the same way: its reads arrive as window messages.
    WSAAsyncSelect(m_client, m_window, BAR_SOCKET_EVENT, FD_READ);
}

bool StandInBar::Next(WORD type, PACKET_DATA* out, DWORD ms)
{
    for (const DWORD end = GetTickCount() + ms; static_cast<long>(end - GetTickCount()) > 0 && !m_server->Ended();) {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        const Packet packet = m_server->Receive(20);
        if (packet.type == 0 || (type != 0 && packet.type != type)) continue;
        Hold(out, packet.type, packet.payload.data(), packet.payload.size());
        return true;
    }
    return false;
}

bool StandInBar::Quiet(DWORD ms)
{
    PACKET_DATA unexpected;
    return !Next(0, &unexpected, ms);
}

void StandInBar::Send(WORD type, const void* payload, size_t length) { m_server->Send(type, payload, length); }

void StandInBar::Deliver(const PACKET_DATA& packet)
{
    SendMessageA(m_window, kDeliver, 0, reinterpret_cast<LPARAM>(&packet));
}

void StandInBar::Receive()
{
    char chunk[4096];
    const int got = recv(m_client, chunk, sizeof chunk, 0);
    if (got > 0) m_toClient.append(chunk, static_cast<size_t>(got));
    for (;;) { // each whole frame taken off the front before it is handed on: onPacket may read again
        const kvxwire::FrameView frame =
            kvxwire::PeekFrame(reinterpret_cast<const uint8_t*>(m_toClient.data()), m_toClient.size());
        if (frame.state != kvxwire::FrameState::Complete) return;
        PACKET_DATA packet;
        Hold(&packet, frame.type, frame.payload, frame.length);
        m_toClient.erase(0, frame.frameSize);
        if (onPacket) onPacket(packet);
    }
}

LRESULT CALLBACK StandInBar::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    StandInBar* self = reinterpret_cast<StandInBar*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        if (!self->m_paint) break;
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        self->m_paint(dc);
        EndPaint(window, &paint);
        return 0;
    }
    case BAR_QUERY_STATUS: return self->status;
    case BAR_QUERY_SOCKET: return self->online ? static_cast<LRESULT>(self->m_client) : 0;
    case BAR_QUERY_GAME_RECORD: return self->game.info[0] ? reinterpret_cast<LRESULT>(&self->game) : 0;
    case BAR_LIBRARY_REQUEST: ++self->listRequests; return 0;
    case BAR_JOIN_GAME: self->joins.push_back({*reinterpret_cast<const GAME_RECORD*>(wParam), lParam}); return 0;
    case BAR_SOCKET_EVENT:
        if (static_cast<SOCKET>(wParam) == self->m_client) self->Receive();
        return 0;
    case kDeliver:
        if (self->onPacket) self->onPacket(*reinterpret_cast<const PACKET_DATA*>(lParam));
        return 0;
    default: break;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

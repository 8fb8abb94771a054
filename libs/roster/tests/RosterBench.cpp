#include "RosterBench.h"

#include <string.h>

#include "roster/roster.h"
#include "support/Wait.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

const char kBarClass[] = "KVXRosterTestBar";
const COLORREF kBackground = RGB(0, 0, 0);
const UINT kQueryStatus = WM_USER + 10;
const UINT kQuerySocket = WM_USER + 13;
const UINT kJoinGame = WM_USER + 17;
const UINT kQueryGameRecord = WM_USER + 19;

void RegisterBarClass(WNDPROC proc)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = proc;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = kBarClass;
    wc.style = CS_DBLCLKS;
    RegisterClassA(&wc);
}

int g_folders = 0;

} // namespace

RosterBench::RosterBench() : m_previousFolder(), m_bar(nullptr), m_client(INVALID_SOCKET), m_server(INVALID_SOCKET)
{
    WSADATA data;
    WSAStartup(MAKEWORD(1, 1), &data);
    m_folder.reset(
        new ScratchFolder("roster-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(++g_folders)));
    GetCurrentDirectoryA(sizeof m_previousFolder, m_previousFolder);
    SetCurrentDirectoryA(m_folder->Path().c_str());

    RegisterBarClass(&BarProc);
    m_bar = CreateWindowExA(WS_EX_TOOLWINDOW, kBarClass, "KVX", WS_POPUP | WS_VISIBLE, 700, 100, 199, kBarHeight,
                            nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    SetWindowLongPtrA(m_bar, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    Connect();
    RL_Init(m_bar);
    RL_View(0);
}

RosterBench::~RosterBench()
{
    RL_RefreshIP(0);
    RL_Offline();
    for (const char* cls : {"KVXNote", "KVXChat", "KVXGameInfo", "KVXInfo", "KVXBalloon"}) CloseAll(cls);
    RL_Init(nullptr);
    DestroyWindow(m_bar);
    if (m_client != INVALID_SOCKET) closesocket(m_client);
    if (m_server != INVALID_SOCKET) closesocket(m_server);
    SetCurrentDirectoryA(m_previousFolder);
    m_folder.reset();
    WSACleanup();
}

RECT RosterBench::Area() const
{
    const RECT area = {12, 124, 167, kBarHeight - 43};
    return area;
}

void RosterBench::Connect()
{
    SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    int size = sizeof address;
    bind(listener, reinterpret_cast<sockaddr*>(&address), size);
    listen(listener, 1);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    m_client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    connect(m_client, reinterpret_cast<sockaddr*>(&address), size);
    m_server = accept(listener, nullptr, nullptr);
    closesocket(listener);
    m_fromClient.clear();
}

void RosterBench::Reconnect()
{
    closesocket(m_client);
    closesocket(m_server);
    Connect();
}

bool RosterBench::ReadFrame(PACKET_DATA* out, DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        const kvxwire::FrameView frame =
            kvxwire::PeekFrame(reinterpret_cast<const uint8_t*>(m_fromClient.data()), m_fromClient.size());
        if (frame.state == kvxwire::FrameState::Complete) {
            memset(out, 0, sizeof *out);
            out->type = frame.type;
            out->length = frame.length;
            memcpy(out->payload, frame.payload, frame.length);
            m_fromClient.erase(0, frame.frameSize);
            return true;
        }
        if (frame.state == kvxwire::FrameState::Broken) return false;
        const long left = static_cast<long>(end - GetTickCount());
        if (left <= 0) return false;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(m_server, &readable);
        timeval wait = {0, (left < 50 ? left : 50) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) != 1) {
            MSG msg;
            while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
            continue;
        }
        char chunk[4096];
        const int got = recv(m_server, chunk, sizeof chunk, 0);
        if (got <= 0) return false;
        m_fromClient.append(chunk, static_cast<size_t>(got));
    }
}

bool RosterBench::ReadFrameOf(WORD type, PACKET_DATA* out, DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    for (;;) {
        const long left = static_cast<long>(end - GetTickCount());
        if (left <= 0 || !ReadFrame(out, static_cast<DWORD>(left))) return false;
        if (out->type == type) return true;
    }
}

bool RosterBench::Quiet(DWORD ms)
{
    PACKET_DATA unexpected;
    return !ReadFrame(&unexpected, ms);
}

void RosterBench::LogIn()
{
    RL_RefreshIP(ClientSocket());
    RL_StatusChange(kAccount, TRUE);
}

void RosterBench::Event(WORD kind, const void* data, size_t length, std::int32_t from)
{
    // The session's record: the 16-byte head, then the data.
    std::string record(sizeof(EventHead), '\0');
    EventHead head = {};
    head.kind = kind;
    head.length = static_cast<uint16_t>(length);
    head.fromAccount = from;
    memcpy(&record[0], &head, sizeof head);
    if (length) record.append(static_cast<const char*>(data), length);
    RL_NewEvent(record.data(), static_cast<int>(record.size()), 0, 0, TRUE);
}

void RosterBench::Contact(std::int32_t account, const char* nickname, WORD status, WORD kind)
{
    ContactRecord record = {};
    record.account = account;
    lstrcpynA(record.nickname, nickname, sizeof record.nickname);
    record.status = status;
    Event(kind, &record, sizeof record, account);
}

void RosterBench::Repaint() const { RedrawWindow(m_bar, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW); }

COLORREF RosterBench::At(int x, int y) const
{
    HDC dc = GetDC(m_bar);
    const COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(m_bar, dc);
    return colour;
}

bool RosterBench::RowShows(int row, COLORREF colour) const
{
    Repaint();
    const RECT area = Area();
    HDC dc = GetDC(m_bar);
    bool found = false;
    for (int y = area.top + row * 16; y < area.top + row * 16 + 16 && !found; ++y)
        for (int x = area.left + 20; x < area.right && !found; ++x) found = GetPixel(dc, x, y) == colour;
    ReleaseDC(m_bar, dc);
    return found;
}

bool RosterBench::RowUsed(int row) const
{
    Repaint();
    const RECT area = Area();
    HDC dc = GetDC(m_bar);
    bool used = false;
    for (int y = area.top + row * 16; y < area.top + row * 16 + 16 && !used; ++y)
        for (int x = area.left; x < area.right && !used; ++x) used = GetPixel(dc, x, y) != kBackground;
    ReleaseDC(m_bar, dc);
    return used;
}

bool RosterBench::Click(int row) const
{
    const RECT area = Area();
    RL_Hilight(area.left + 40, area.top + row * 16 + 8, area);
    return RL_RClick() != FALSE;
}

LRESULT CALLBACK RosterBench::BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    RosterBench* self = reinterpret_cast<RosterBench*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self) return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT client;
        GetClientRect(window, &client);
        FillRect(dc, &client, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
        RL_Paint(dc, self->Area());
        EndPaint(window, &paint);
        return 0;
    }
    case kQueryStatus: return self->status;
    case kQuerySocket: return self->answerSocket ? static_cast<LRESULT>(self->ClientSocket()) : 0;
    case kQueryGameRecord: return self->game.info[0] ? reinterpret_cast<LRESULT>(&self->game) : 0;
    case kJoinGame:
        self->joined.push_back(*reinterpret_cast<const GAME_RECORD*>(wParam));
        self->joinedGames.push_back(lParam);
        return 0;
    default: return DefWindowProcA(window, message, wParam, lParam);
    }
}

bool Eventually(const std::function<bool()>& condition) { return WaitFor(condition, 3000, 10); }

HWND WaitForWindow(const char* cls, const char* title)
{
    HWND found = nullptr;
    Eventually([&] {
        found = FindWindowA(cls, title);
        return found && IsWindowVisible(found);
    });
    return found;
}

std::string TextOf(HWND window)
{
    char text[4096] = "";
    GetWindowTextA(window, text, sizeof text);
    return text;
}

std::string Field(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

void CloseAll(const char* cls)
{
    while (HWND window = FindWindowA(cls, nullptr)) DestroyWindow(window);
}

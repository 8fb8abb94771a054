#include "NoteWindow.h"
#include "records/Bar.h"
#include "records/WindowClass.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

#include "CommLog.h"
#include "sockio/sockio.h"
#include "wire/Contacts.h"

namespace {

const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
const int kWidth = 340;
const int kHeight = 260;

const char kNoRecipient[] = "Type the KVX# of the person to write to.";
const char kNoText[] = "Write something to send.";
const char kNotConnected[] = "Not sent: you are not connected to the KVX server. Go online and press Send again.";

// Edit controls show line breaks only as CR LF.
std::string WithCrLf(const std::string& text)
{
    std::string out;
    for (char c : text) {
        if (c == '\r') continue;
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

} // namespace

const char CNoteWindow::kClassName[] = "KVXNote";

const Route<CNoteWindow> CNoteWindow::kRoutes[] = {
    {WM_CREATE, &CNoteWindow::OnCreate},
    {WM_COMMAND, &CNoteWindow::OnCommand},
    {WM_ACTIVATE, &CNoteWindow::OnActivate},
};

CNoteWindow::CNoteWindow(HWND window, const Params& params)
    : m_window(window), m_bar(params.bar), m_note(*params.note), m_peer(nullptr), m_text(nullptr)
{
}

HWND CNoteWindow::Open(HWND bar, const Note& note)
{
    HINSTANCE instance = ThisModule();
    if (!RegisterOnce(instance)) return nullptr;
    RECT size = {0, 0, kWidth, kHeight};
    AdjustWindowRect(&size, kStyle, FALSE);
    std::string title = note.received ? "Message from " : note.peer ? "Message to " : "New Message";
    if (note.peer) title += note.nickname;
    const Params params = {bar, &note};
    HWND window =
        CreateWindowExA(0, kClassName, title.c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT, size.right - size.left,
                        size.bottom - size.top, nullptr, nullptr, instance, const_cast<Params*>(&params));
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

bool CNoteWindow::RegisterOnce(HINSTANCE instance)
{
    return RegisterWindowClassOnce(instance, kClassName, &CWindowProc<CNoteWindow>::Proc,
                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) != FALSE;
}

LRESULT CNoteWindow::OnCreate(HWND, UINT, WPARAM, LPARAM)
{
    const bool received = m_note.received;
    const bool typed = !received && m_note.peer == 0;
    Child(m_window, "STATIC", SS_NOPREFIX, -1, 8, 12, 40, 16, received ? "From:" : "To:");
    m_peer = Child(m_window, "EDIT", WS_TABSTOP | ES_AUTOHSCROLL | (typed ? ES_NUMBER : ES_READONLY), kPeerId, 52, 8,
                   280, 22, PeerText().c_str());
    m_text =
        Child(m_window, "EDIT",
              WS_TABSTOP | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | (received ? ES_READONLY : 0),
              kTextId, 8, 38, 324, 160, WithCrLf(m_note.text).c_str());
    Child(m_window, "STATIC", SS_NOPREFIX, kStatusId, 8, 204, 324, 16, "");
    Child(m_window, "BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, kActionId, 164, 226, 80, 26, received ? "Reply" : "Send");
    Child(m_window, "BUTTON", WS_TABSTOP, kCloseId, 252, 226, 80, 26, "Close");
    if (!m_peer || !m_text) return -1;
    SendMessageA(m_text, EM_LIMITTEXT, kMessageField - 1, 0);
    return 0;
}

LRESULT CNoteWindow::OnCommand(HWND, UINT, WPARAM wParam, LPARAM)
{
    const UINT id = LOWORD(wParam);
    if (id == kActionId && m_note.received) Reply();
    else if (id == kActionId) Send();
    else if (id == kCloseId) DestroyWindow(m_window);
    return 0;
}

LRESULT CNoteWindow::OnActivate(HWND, UINT, WPARAM wParam, LPARAM)
{
    if (LOWORD(wParam) != WA_INACTIVE) SetFocus(!m_note.received && m_note.peer == 0 ? m_peer : m_text);
    return 0;
}

void CNoteWindow::Send()
{
    MessageSendRecord record = {};
    record.to = Recipient();
    if (record.to <= 0) {
        ShowStatus(kNoRecipient);
        SetFocus(m_peer);
        return;
    }
    GetWindowTextA(m_text, record.text, sizeof record.text);
    if (!record.text[0]) {
        ShowStatus(kNoText);
        SetFocus(m_text);
        return;
    }
    record.clientTag = GetTickCount();
    const UINT_PTR socket = m_bar ? static_cast<UINT_PTR>(SendMessageA(m_bar, BAR_QUERY_SOCKET, 0, 0)) : 0;
    if (!socket || !SK_WPacket(socket, PKT_MESSAGE_SEND, &record, sizeof record)) {
        ShowStatus(kNotConnected);
        return;
    }
    char fallback[32];
    std::snprintf(fallback, sizeof fallback, "KVX# %ld", static_cast<long>(record.to));
    const bool named = m_note.peer == record.to && !m_note.nickname.empty();
    CCommLog(m_note.account).Append(record.to, named ? m_note.nickname.c_str() : fallback, false, 0, record.text);
    DestroyWindow(m_window);
}

void CNoteWindow::Reply()
{
    Note reply = m_note;
    reply.received = false;
    reply.text.clear();
    reply.sentAt = 0;
    if (Open(m_bar, reply)) DestroyWindow(m_window);
}

std::int32_t CNoteWindow::Recipient() const
{
    if (m_note.peer) return m_note.peer;
    char typed[16] = "";
    GetWindowTextA(m_peer, typed, sizeof typed);
    char* end = nullptr;
    const long account = std::strtol(typed, &end, 10);
    return end != typed && *end == 0 && account > 0 ? static_cast<std::int32_t>(account) : 0;
}

std::string CNoteWindow::PeerText() const
{
    if (!m_note.peer) return std::string();
    char text[128];
    int used =
        std::snprintf(text, sizeof text, "%s (KVX# %ld)", m_note.nickname.c_str(), static_cast<long>(m_note.peer));
    if (m_note.received && m_note.sentAt && used > 0) {
        const std::time_t at = static_cast<std::time_t>(m_note.sentAt);
        if (const std::tm* local = std::localtime(&at))
            std::strftime(text + used, sizeof text - used, ", %Y-%m-%d %H:%M", local);
    }
    return text;
}

void CNoteWindow::ShowStatus(const char* text) { SetDlgItemTextA(m_window, kStatusId, text); }

#include "ChatWindow.h"
#include "records/Bar.h"
#include "records/WindowClass.h"

#include <cstring>

#include "sockio/sockio.h"
#include "wire/Contacts.h"

namespace {

const DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

} // namespace

const char CChatWindow::kClassName[] = "KVXChat";

const Route<CChatWindow> CChatWindow::kRoutes[] = {
    {WM_CREATE, &CChatWindow::OnCreate},
    {WM_COMMAND, &CChatWindow::OnCommand},
    {WM_ACTIVATE, &CChatWindow::OnActivate},
};

CChatWindow::CChatWindow(HWND window, const Params& params)
    : m_window(window), m_bar(params.bar), m_with(params.with), m_name(*params.name), m_transcript(nullptr),
      m_line(nullptr)
{
}

HWND CChatWindow::Find(std::int32_t with)
{
    for (HWND w = FindWindowExA(nullptr, nullptr, kClassName, nullptr); w;
         w = FindWindowExA(nullptr, w, kClassName, nullptr)) {
        const CChatWindow* chat = reinterpret_cast<const CChatWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        if (chat && chat->m_with == with) return w;
    }
    return nullptr;
}

int CChatWindow::CountOpen()
{
    int count = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, kClassName, nullptr); w;
         w = FindWindowExA(nullptr, w, kClassName, nullptr))
        ++count;
    return count;
}

HWND CChatWindow::Open(HWND bar, std::int32_t with, const std::string& name)
{
    if (HWND open = Find(with)) {
        SetForegroundWindow(open);
        return open;
    }
    HINSTANCE instance = ThisModule();
    if (!RegisterOnce(instance)) return nullptr;
    RECT size = {0, 0, 320, 240};
    AdjustWindowRect(&size, kStyle, FALSE);
    const Params params = {bar, with, &name};
    HWND window = CreateWindowExA(0, kClassName, ("Chat with " + name).c_str(), kStyle, CW_USEDEFAULT, CW_USEDEFAULT,
                                  size.right - size.left, size.bottom - size.top, nullptr, nullptr, instance,
                                  const_cast<Params*>(&params));
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

void CChatWindow::Receive(HWND bar, std::int32_t from, const std::string& name, const std::string& text)
{
    HWND window = Find(from);
    if (!window && CountOpen() < kMaxOpen) window = Open(bar, from, name);
    CChatWindow* chat = window ? reinterpret_cast<CChatWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA)) : nullptr;
    if (chat) chat->Append(chat->m_name, text);
}

bool CChatWindow::RegisterOnce(HINSTANCE instance)
{
    return RegisterWindowClassOnce(instance, kClassName, &CWindowProc<CChatWindow>::Proc,
                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) != FALSE;
}

// Enter in the line sends it, as a dialog's default button would.
LRESULT CALLBACK CChatWindow::LineProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(edit, GWLP_USERDATA));
    if (message == WM_CHAR && wParam == VK_RETURN) {
        PostMessageA(GetParent(edit), WM_COMMAND, kSendId, 0);
        return 0;
    }
    return CallWindowProcA(original, edit, message, wParam, lParam);
}

LRESULT CChatWindow::OnCreate(HWND, UINT, WPARAM, LPARAM)
{
    m_transcript = Child(m_window, "EDIT", WS_VSCROLL | ES_MULTILINE | ES_READONLY | ES_AUTOVSCROLL, kTranscriptId, 8,
                         8, 304, 190);
    m_line = Child(m_window, "EDIT", WS_TABSTOP | ES_AUTOHSCROLL, kLineId, 8, 206, 232, 24);
    Child(m_window, "BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, kSendId, 246, 206, 66, 24, "Send");
    if (!m_transcript || !m_line) return -1;
    SendMessageA(m_line, EM_LIMITTEXT, kChatField - 1, 0);
    SetWindowLongPtrA(m_line, GWLP_USERDATA, GetWindowLongPtrA(m_line, GWLP_WNDPROC));
    SetWindowLongPtrA(m_line, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&LineProc));
    return 0;
}

LRESULT CChatWindow::OnCommand(HWND, UINT, WPARAM wParam, LPARAM)
{
    if (LOWORD(wParam) == kSendId) SendLine();
    return 0;
}

LRESULT CChatWindow::OnActivate(HWND, UINT, WPARAM wParam, LPARAM)
{
    if (LOWORD(wParam) != WA_INACTIVE) SetFocus(m_line);
    return 0;
}

void CChatWindow::SendLine()
{
    ChatLineRecord line = {};
    line.to = m_with;
    GetWindowTextA(m_line, line.text, sizeof line.text);
    if (!line.text[0]) return;
    const UINT_PTR socket = static_cast<UINT_PTR>(SendMessageA(m_bar, BAR_QUERY_SOCKET, 0, 0));
    if (!socket || !SK_WPacket(socket, PKT_CHAT_LINE, &line, sizeof line)) {
        Append("KVX", "Not sent: you are not connected to the KVX server.");
        return;
    }
    Append("Me", line.text);
    SetWindowTextA(m_line, "");
}

void CChatWindow::Append(const std::string& who, const std::string& text)
{
    const std::string line = (GetWindowTextLengthA(m_transcript) ? "\r\n" : "") + who + ": " + text;
    const int end = GetWindowTextLengthA(m_transcript);
    SendMessageA(m_transcript, EM_SETSEL, end, end);
    SendMessageA(m_transcript, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

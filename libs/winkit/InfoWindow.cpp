#include "InfoWindow.h"
#include "winkit/winkit.h"
#include "records/WindowClass.h"

#include <string.h>

namespace {

const DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
// Topmost: the bar may be always-on-top, and a server message must not open behind it.
const DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;
// DT_EDITCONTROL: a word too long for a line is broken, not left sticking out.
const UINT kTextFormat = DT_LEFT | DT_WORDBREAK | DT_EDITCONTROL | DT_NOPREFIX | DT_EXPANDTABS;
const int kMaxTextWidth = 400;   // longer lines wrap
const int kMinClientWidth = 220; // room for the caption of a short message
const int kButtonWidth = 80;
const int kCascade = 24; // each further window starts this far down and right
const int kCascadeSteps = 8;

SIZE IconSize(HICON icon)
{
    SIZE size = {0, 0};
    ICONINFO info = {};
    if (!icon || !GetIconInfo(icon, &info)) return size;
    BITMAP bitmap = {};
    if (GetObjectA(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof bitmap, &bitmap)) {
        size.cx = bitmap.bmWidth;
        // A monochrome icon's mask holds the AND and XOR halves one above the other.
        size.cy = info.hbmColor ? bitmap.bmHeight : bitmap.bmHeight / 2;
    }
    if (info.hbmColor) DeleteObject(info.hbmColor);
    if (info.hbmMask) DeleteObject(info.hbmMask);
    return size;
}

int CountOpen()
{
    int count = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, CInfoWindow::kClassName, nullptr); w;
         w = FindWindowExA(nullptr, w, CInfoWindow::kClassName, nullptr))
        ++count;
    return count;
}

} // namespace

const char CInfoWindow::kClassName[] = "KVXInfo";

const Route<CInfoWindow> CInfoWindow::kRoutes[] = {
    {WM_CREATE, &CInfoWindow::OnCreate},        {WM_PAINT, &CInfoWindow::OnPaint},
    {WM_COMMAND, &CInfoWindow::OnCommand},      {WM_ACTIVATE, &CInfoWindow::OnActivate},
    {WM_CTLCOLORBTN, &CInfoWindow::OnCtlColor},
};

HWND CInfoWindow::Show(const char* title, const char* text, HICON icon)
{
    HINSTANCE instance = ThisModule();
    const int open = CountOpen();
    if (open >= WK_MAX_INFO || !RegisterOnce(instance)) return nullptr;
    const Params params = {text ? text : "", icon, (open % kCascadeSteps) * kCascade};
    HWND window = CreateWindowExA(kExStyle, kClassName, title ? title : "", kStyle, 0, 0, 0, 0, nullptr, nullptr,
                                  instance, const_cast<Params*>(&params));
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    UpdateWindow(window);
    return window;
}

bool CInfoWindow::RegisterOnce(HINSTANCE instance)
{
    return RegisterWindowClassOnce(instance, kClassName, &CWindowProc<CInfoWindow>::Proc,
                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) != FALSE;
}

CInfoWindow::CInfoWindow(HWND window, const Params& params)
    : m_window(window), m_button(nullptr), m_font(CreateMessageFont()),
      m_icon(params.icon ? CopyIcon(params.icon) : nullptr), m_iconSize(IconSize(m_icon)), m_text(params.text),
      m_textRect()
{
}

CInfoWindow::~CInfoWindow()
{
    if (m_icon) DestroyIcon(m_icon);
    if (m_font) DeleteObject(m_font);
}

// The button keeps the focus; Enter and Escape reach it whatever loop dispatches them.
LRESULT CALLBACK CInfoWindow::ButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC original = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(button, GWLP_USERDATA));
    if (message == WM_KEYDOWN && (wParam == VK_RETURN || wParam == VK_ESCAPE)) {
        PostMessageA(GetParent(button), WM_COMMAND, wParam == VK_RETURN ? IDOK : IDCANCEL, 0);
        return 0;
    }
    if (message == WM_GETDLGCODE) return CallWindowProcA(original, button, message, wParam, lParam) | DLGC_WANTALLKEYS;
    return CallWindowProcA(original, button, message, wParam, lParam);
}

LRESULT CInfoWindow::OnCreate(HWND, UINT, WPARAM, LPARAM lParam)
{
    const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    const Params& params = *static_cast<const Params*>(create->lpCreateParams);
    m_button =
        CreateWindowExA(0, "BUTTON", "OK", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 0, 0, 0, m_window,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(IDOK)), create->hInstance, nullptr);
    if (!m_button) return -1;
    SetWindowLongPtrA(m_button, GWLP_USERDATA, GetWindowLongPtrA(m_button, GWLP_WNDPROC));
    SetWindowLongPtrA(m_button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ButtonProc));
    if (m_font) SendMessageA(m_button, WM_SETFONT, reinterpret_cast<WPARAM>(m_font), FALSE);
    Layout(params.cascade);
    return 0;
}

LRESULT CInfoWindow::OnPaint(HWND, UINT, WPARAM, LPARAM)
{
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(m_window, &paint);
    if (!dc) return 0;
    if (m_icon) {
        const int margin = m_textRect.top;
        DrawIconEx(dc, margin, margin, m_icon, m_iconSize.cx, m_iconSize.cy, 0, nullptr, DI_NORMAL);
    }
    HGDIOBJ oldFont = m_font ? SelectObject(dc, m_font) : nullptr;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
    RECT rc = m_textRect;
    DrawTextA(dc, m_text.c_str(), -1, &rc, kTextFormat);
    if (oldFont) SelectObject(dc, oldFont);
    EndPaint(m_window, &paint);
    return 0;
}

LRESULT CInfoWindow::OnCommand(HWND, UINT, WPARAM wParam, LPARAM)
{
    const UINT id = LOWORD(wParam);
    if (id == IDOK || id == IDCANCEL) DestroyWindow(m_window);
    return 0;
}

LRESULT CInfoWindow::OnActivate(HWND, UINT, WPARAM wParam, LPARAM)
{
    if (LOWORD(wParam) != WA_INACTIVE) SetFocus(m_button);
    return 0;
}

LRESULT CInfoWindow::OnCtlColor(HWND, UINT, WPARAM, LPARAM)
{
    return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
}

void CInfoWindow::Layout(int cascade)
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    RECT chrome = {0, 0, 0, 0};
    AdjustWindowRectEx(&chrome, kStyle, FALSE, kExStyle);

    HDC dc = GetDC(m_window);
    HGDIOBJ oldFont = m_font ? SelectObject(dc, m_font) : nullptr;
    TEXTMETRICA metrics = {};
    GetTextMetricsA(dc, &metrics);
    const int line = metrics.tmHeight > 0 ? metrics.tmHeight : 16;
    const int margin = line;
    const int iconSpace = m_icon ? m_iconSize.cx + margin : 0;
    const int iconHeight = m_icon ? m_iconSize.cy : 0;
    const int buttonHeight = line + line / 2 + 4;
    const int roomHeight = (work.bottom - work.top) - (chrome.bottom - chrome.top) - 3 * margin - buttonHeight;
    const int roomWidth = (work.right - work.left) - (chrome.right - chrome.left) - 2 * margin - iconSpace;

    // Wrap at the usual width; a text too tall for the screen gets a wider window instead.
    int wrapWidth = kMaxTextWidth < roomWidth ? kMaxTextWidth : roomWidth;
    RECT text = {0, 0, wrapWidth, 0};
    DrawTextA(dc, m_text.c_str(), -1, &text, kTextFormat | DT_CALCRECT);
    if (text.bottom > roomHeight && wrapWidth < roomWidth * 3 / 4) {
        wrapWidth = roomWidth * 3 / 4;
        SetRect(&text, 0, 0, wrapWidth, 0);
        DrawTextA(dc, m_text.c_str(), -1, &text, kTextFormat | DT_CALCRECT);
    }
    if (oldFont) SelectObject(dc, oldFont);
    ReleaseDC(m_window, dc);
    if (text.right > wrapWidth) text.right = wrapWidth;
    if (text.bottom > roomHeight) text.bottom = roomHeight; // what does not fit is cut

    const int bodyHeight = text.bottom > iconHeight ? text.bottom : iconHeight;
    int clientWidth = margin + iconSpace + text.right + margin;
    if (clientWidth < kMinClientWidth) clientWidth = kMinClientWidth;
    const int clientHeight = margin + bodyHeight + margin + buttonHeight + margin;

    SetRect(&m_textRect, margin + iconSpace, margin, margin + iconSpace + text.right, margin + text.bottom);
    MoveWindow(m_button, (clientWidth - kButtonWidth) / 2, clientHeight - margin - buttonHeight, kButtonWidth,
               buttonHeight, FALSE);

    const int width = clientWidth + (chrome.right - chrome.left);
    const int height = clientHeight + (chrome.bottom - chrome.top);
    int x = work.left + (work.right - work.left - width) / 2 + cascade;
    int y = work.top + (work.bottom - work.top - height) / 3 + cascade;
    if (x + width > work.right) x = work.right - width;
    if (y + height > work.bottom) y = work.bottom - height;
    if (x < work.left) x = work.left;
    if (y < work.top) y = work.top;
    SetWindowPos(m_window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

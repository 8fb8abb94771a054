#include "GameInfoWindow.h"
#include "records/Bar.h"
#include "records/WindowClass.h"

#include <cstdio>

#include "ContactView.h"
#include "StatusLook.h"
#include "records/GameRecord.h"

namespace {

const DWORD kStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU;
const DWORD kExStyle = WS_EX_DLGMODALFRAME | WS_EX_TOPMOST;

} // namespace

const char CGameInfoWindow::kClassName[] = "KVXGameInfo";

const Route<CGameInfoWindow> CGameInfoWindow::kRoutes[] = {
    {WM_CREATE, &CGameInfoWindow::OnCreate},
    {WM_COMMAND, &CGameInfoWindow::OnCommand},
};

CGameInfoWindow::CGameInfoWindow(HWND window, const Params& params)
    : m_window(window), m_bar(params.bar), m_entry(*params.entry), m_game(params.game)
{
}

HWND CGameInfoWindow::Show(HWND bar, const ContactRecord& entry, WORD game)
{
    HINSTANCE instance = ThisModule();
    if (!RegisterOnce(instance)) return nullptr;
    RECT size = {0, 0, 300, 120};
    AdjustWindowRectEx(&size, kStyle, FALSE, kExStyle);
    const Params params = {bar, &entry, game};
    const std::string title = std::string(CStatusLook(game).Text()) + " Game Info";
    HWND window = CreateWindowExA(kExStyle, kClassName, title.c_str(), kStyle, 200, 200, size.right - size.left,
                                  size.bottom - size.top, nullptr, nullptr, instance, const_cast<Params*>(&params));
    if (!window) return nullptr;
    ShowWindow(window, SW_SHOWNORMAL);
    return window;
}

bool CGameInfoWindow::RegisterOnce(HINSTANCE instance)
{
    return RegisterWindowClassOnce(instance, kClassName, &CWindowProc<CGameInfoWindow>::Proc,
                                   reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1)) != FALSE;
}

LRESULT CGameInfoWindow::OnCreate(HWND, UINT, WPARAM, LPARAM)
{
    const std::string text = Description();
    Child(m_window, "STATIC", SS_NOPREFIX, kTextId, 12, 12, 276, 64, text.c_str());
    Child(m_window, "BUTTON", WS_TABSTOP | BS_DEFPUSHBUTTON, kJoinId, 120, 84, 80, 24, "Join");
    Child(m_window, "BUTTON", WS_TABSTOP, kCloseId, 208, 84, 80, 24, "Close");
    return 0;
}

LRESULT CGameInfoWindow::OnCommand(HWND, UINT, WPARAM wParam, LPARAM)
{
    const UINT id = LOWORD(wParam);
    if (id == kJoinId) Join();
    if (id == kJoinId || id == kCloseId) DestroyWindow(m_window);
    return 0;
}

void CGameInfoWindow::Join() const
{
    GAME_RECORD record = {};
    record.addr = m_entry.game.addr;
    record.port = m_entry.game.port;
    lstrcpynA(record.info, m_entry.game.info[0] ? m_entry.game.info : CStatusLook(m_game).Text(), sizeof record.info);
    // Sent, not posted: the record lives on this stack.
    SendMessageA(m_bar, BAR_JOIN_GAME, reinterpret_cast<WPARAM>(&record), m_game);
}

std::string CGameInfoWindow::Description() const
{
    const unsigned char* ip = reinterpret_cast<const unsigned char*>(&m_entry.game.addr);
    char text[300];
    std::snprintf(text, sizeof text, "%s is playing %s on %u.%u.%u.%u:%ld\n%s", CContactView::Name(m_entry).c_str(),
                  CStatusLook(m_game).Text(), ip[0], ip[1], ip[2], ip[3], static_cast<long>(m_entry.game.port),
                  m_entry.game.info);
    return text;
}

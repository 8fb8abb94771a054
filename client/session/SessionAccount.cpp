// CSession: the account's login and sign-up, and the session's own commands.
#include "session/Session.h"

#include <stdio.h>
#include <string.h>

#include "app/Globals.h"
#include "app/Product.h"
#include "app/Reporter.h"
#include "app/Settings.h"
#include "artres/artres.h"
#include "menus/CommandIds.h"
#include "roster/roster.h"
#include "signon/signon.h"
#include "winkit/winkit.h"
#include "wire/Packets.h"

namespace {
// The settings read leaves at most 9 characters, what the server accepts as a password.
const DWORD kPasswordReadLimit = 10;
} // namespace

bool CSession::SendLogin(const char* password)
{
    LoginRecord record;
    memset(&record, 0, sizeof record);
    record.account = m_accountNumber;
    // A missing password leaves the store's missing-value text in the field, which no
    // account has, so the server answers with a login failure the user can act on.
    if (password) lstrcpynA(record.password, password, kPasswordReadLimit);
    else g_Settings->ReadString("User", "PW", record.password, kPasswordReadLimit);
    return m_socket.Send(PKT_LOGIN, &record, sizeof record);
}

void CSession::RunSignup()
{
    USER_INFO_STRUCT user;
    memset(&user, 0, sizeof user);
    if (!SO_Signup(g_hMainWnd, &user, m_socket.Handle())) {
        SetStatus(CMD_OFFLINE);
        return;
    }
    if (user.accountNumber == 0) return;
    user.password[sizeof user.password - 1] = 0;
    m_accountNumber = user.accountNumber;
    // An account that cannot be stored would be gone at the next start: the user is told
    // both halves to keep. The login then goes on with the password in memory.
    const bool stored =
        g_Settings->WriteInt("User", "ID", m_accountNumber) && g_Settings->WriteString("User", "PW", user.password);
    if (!stored) {
        CReporter::Notice("Your new KVX# is %ld and your password is %s.\n\nKVX could not save them: "
                          "note them down and enter them in KVX.ini, section [User], keys ID and PW.",
                          static_cast<long>(m_accountNumber), user.password);
        SendLogin(user.password);
        return;
    }
    SendLogin();
}

void CSession::OnCommand(unsigned id)
{
    switch (LOWORD(id)) {
    case CMD_SCROLL_UP: RL_Up(); break;
    case CMD_SCROLL_DOWN: RL_Down(); break;
    case CMD_ABOUT: ShowAbout(); break;
    case CMD_ONTOP: ToggleOnTop(); break;
    case CMD_FIND_USERS:
        SO_Find(g_hMainWnd, m_socket.Handle());
        RL_RefreshIP(m_socket.Handle());
        break;
    default: break;
    }
}

void CSession::ShowAbout()
{
    char text[512];
    snprintf(text, sizeof text, "%s %s (build %u, %s)\n\n%s\n%s", kProductName, kProductVersion,
             static_cast<unsigned>(BUILD_NUMBER), __DATE__, kMakerCopyright, kMakerSite);
    WK_Info("About KVX", text, AR_Icon("On"));
}

void CSession::ToggleOnTop()
{
    const LONG onTop = g_Settings->ReadInt("Window", "OnTop") <= 0 ? 1 : 0;
    // A value that cannot be stored is reported by the store; the bar follows the choice anyway.
    g_Settings->WriteInt("Window", "OnTop", onTop);
    SetWindowPos(g_hMainWnd, onTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

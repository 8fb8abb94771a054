// The C interface of the message-window library.
#include "notepost/notepost.h"

#include <string>

#include "CommLog.h"
#include "NoteWindow.h"
#include "artres/artres.h"
#include "records/Guard.h"
#include "winkit/winkit.h"

namespace {

std::string Text(const char* text, size_t size)
{
    return text ? std::string(text, strnlen(text, size)) : std::string();
}

} // namespace

void NP_Send(USER_INFO_STRUCT user, WORD, LONG accountNumber, HWND bar)
{
    Guard([&] {
        CNoteWindow::Note note = {};
        note.account = accountNumber;
        note.peer = user.accountNumber > 0 ? user.accountNumber : 0;
        note.nickname = Text(user.nickname, sizeof user.nickname);
        CNoteWindow::Open(bar, note);
    });
}

void NP_Show(LONG from, const char* nickname, DWORD sentAt, const char* text, LONG accountNumber, HWND bar)
{
    Guard([&] {
        CNoteWindow::Note note = {};
        note.received = true;
        note.account = accountNumber;
        note.peer = from;
        note.nickname = Text(nickname, 32);
        note.sentAt = sentAt;
        note.text = Text(text, 900);
        CNoteWindow::Open(bar, note);
    });
}

void NP_Log(LONG accountNumber, LONG other, const char* nickname, BOOL received, DWORD when, const char* text)
{
    Guard([&] { CCommLog(accountNumber).Append(other, nickname, received != FALSE, when, text); });
}

void NP_ShowLog(LONG accountNumber, LONG other, const char* nickname)
{
    Guard([&] {
        const std::string name = nickname ? nickname : "";
        const std::string text = CCommLog(accountNumber).With(other);
        WK_Info(("Comm Log: " + name).c_str(),
                text.empty() ? ("No messages with " + name + " yet.").c_str() : text.c_str(), AR_Icon("Log"));
    });
}

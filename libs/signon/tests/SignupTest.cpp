// The sign-up dialog worked as a user works it while the far end of the connection reads the
// request and answers like the server.
#include <string.h>

#include <array>
#include <atomic>
#include <tuple>

#include "SignonFixture.h"
#include "signon/SignupIds.h"

namespace {

const int kFields[] = {IDC_SIGNUP_NICKNAME, IDC_SIGNUP_EMAIL, IDC_SIGNUP_PASSWORD, IDC_SIGNUP_CONFIRM};
typedef std::array<std::string, 4> Entries; // nickname, e-mail, password, confirmation
const Entries kValid = {"Fragger", "frag@example.com", "rocket9", "rocket9"};

class SignupTest : public SignonTest {
protected:
    SignupTest() { memset(&m_user, 0x5A, sizeof m_user); }

    BOOL Run(const std::function<void(HWND)>& driver, UINT_PTR socket = ~UINT_PTR(0))
    {
        BOOL result = TRUE;
        const UINT_PTR over = socket == ~UINT_PTR(0) ? bar.Socket() : socket;
        DriveDialog(
            SIGNUP_CAPTION, [&] { result = SO_Signup(bar.Handle(), &m_user, over); }, driver);
        return result;
    }
    bool Untouched() const
    {
        return m_user.accountNumber == 0x5A5A5A5A && m_user.nickname[0] == 0x5A &&
               reinterpret_cast<const char*>(&m_user)[128] == 0x5A;
    }
    static void Fill(HWND dialog, const Entries& entries)
    {
        for (int i = 0; i < 4; ++i) SetDlgItemTextA(dialog, kFields[i], entries[i].c_str());
    }
    static HWND Focus(HWND dialog)
    {
        GUITHREADINFO info = {sizeof info, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
        GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
        return info.hwndFocus;
    }

    USER_INFO_STRUCT m_user;
};

// A packet outside the sign-on range has the stand-in bar ask for the sign-up again from inside
// the open wizard, as the client does when its retry reconnects meanwhile: the request goes out
// on the newer connection and the newer caller has the account.
TEST_F(SignupTest, EnterSendsTheRequestAndTheServersAcceptanceFillsTheRecordOfTheLatestCaller)
{
    const WORD kAskAgain = 0x7FFF;
    USER_INFO_STRUCT again = m_user;
    BOOL againResult = FALSE;
    std::atomic<bool> asked{false};
    bar.onPacket = [&](const PACKET_DATA& packet) {
        if (packet.type != kAskAgain) return Route(packet);
        asked = true;
        againResult = SO_Signup(bar.Handle(), &again, bar.Socket());
    };
    PACKET_DATA request = {};
    EXPECT_TRUE(Run(
        [&](HWND dialog) {
            EXPECT_TRUE(!IsWindowEnabled(bar.Handle()) && Focus(dialog) == GetDlgItem(dialog, IDC_SIGNUP_NICKNAME));
            EXPECT_TRUE(GetWindowLongA(GetDlgItem(dialog, IDC_SIGNUP_CONFIRM), GWL_STYLE) & ES_PASSWORD);
            bar.Send(kAskAgain, "", 0);
            for (const DWORD end = GetTickCount() + 5000; !asked && GetTickCount() < end;) Sleep(10);
            Fill(dialog, kValid);
            PostMessageA(GetDlgItem(dialog, IDC_SIGNUP_CONFIRM), WM_KEYDOWN, VK_RETURN, 0);
            request = Sent(PKT_SIGNUP_REQUEST);
            EXPECT_TRUE(ItemShows(dialog, IDC_SIGNUP_STATUS, "Creating your account..."));
            for (int id :
                 {IDC_SIGNUP_NICKNAME, IDC_SIGNUP_EMAIL, IDC_SIGNUP_PASSWORD, IDC_SIGNUP_CONFIRM, IDOK, IDCANCEL})
                EXPECT_EQ(id == IDCANCEL, IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE) << id;
            bar.Send(1250, "????", 4); // unrelated answers leave it waiting
            const SignupOkRecord ok = {4711};
            bar.Send(PKT_SIGNUP_OK, &ok, sizeof ok);
            for (const DWORD end = GetTickCount() + 5000; IsWindow(dialog) && GetTickCount() < end;) Sleep(10);
        },
        0)); // the connection the dialog was opened on is gone
    EXPECT_EQ(std::string("rocket9\0\0\0", 10), std::string(Payload<SignupRequestRecord>(request).password, 10));
    EXPECT_TRUE(againResult && again.accountNumber == 4711 && !strcmp(again.nickname, "Fragger") &&
                !strcmp(again.email, "frag@example.com"));
    EXPECT_STREQ("rocket9", reinterpret_cast<const char*>(&again) + 128);
    EXPECT_EQ(0x5A, again.firstName[0]) << "other fields kept";
    EXPECT_EQ(0, m_user.accountNumber) << "the earlier caller is told the sign-up finished elsewhere";
}

PACKET_DATA Claiming(WORD type, const char* data, WORD claimed)
{
    PACKET_DATA packet;
    memset(&packet, 'x', sizeof packet);
    packet.type = type;
    packet.length = claimed;
    memcpy(packet.payload, data, strlen(data));
    return packet;
}

// A refusal leaves the dialog for another try; the server's reason is read only as far as
// the payload's length goes, as the session parsed it.
TEST_F(SignupTest, EntriesAreCheckedAtTheirLimitsAndARefusalAllowsAnotherTry)
{
    const std::string n31(31, 'n'), e91 = std::string(79, 'e') + "@example.com";
    // What is typed, then the status (null: sent, and refused by the server) and where the focus goes.
    const std::tuple<Entries, const char*, int> cases[] = {
        {{"", "a@b.c", "pw", "pw"}, "enter a nickname", IDC_SIGNUP_NICKNAME},
        {{n31 + "n", "a@b.c", "pw", "pw"}, "at most 31", IDC_SIGNUP_NICKNAME},
        {{"Nick", "", "pw", "pw"}, "enter your e-mail", IDC_SIGNUP_EMAIL},
        {{"Nick", "nobody.example.com", "pw", "pw"}, "does not look right", IDC_SIGNUP_EMAIL},
        {{"Nick", "first.last@localhost", "pw", "pw"}, "does not look right", IDC_SIGNUP_EMAIL},
        {{"Nick", "name@example.", "pw", "pw"}, "does not look right", IDC_SIGNUP_EMAIL},
        {{"Nick", "e" + e91, "pw", "pw"}, "at most 91", IDC_SIGNUP_EMAIL},
        {{"Nick", "a@b.c", "", ""}, "choose a password", IDC_SIGNUP_PASSWORD},
        {{"Nick", "a@b.c", "1234567890", "1234567890"}, "at most 9", IDC_SIGNUP_PASSWORD},
        {{"Nick", "a@b.c", "secret", "secreT"}, "not the same", IDC_SIGNUP_CONFIRM},
        {{n31, e91, "123456789", "123456789"}, nullptr, IDC_SIGNUP_NICKNAME},
    };
    // The server's answer as the session parsed it, then the status it leaves.
    const std::tuple<PACKET_DATA, std::string> answers[] = {
        {Claiming(PKT_SIGNUP_ERROR, "Server full", 6), "Server"},
        {Claiming(PKT_SIGNUP_ERROR, "", 0xFFFF), std::string(2048, 'x')},
        {Claiming(PKT_SIGNUP_ERROR, "", 0), "The KVX server could not create the account."},
        {Claiming(PKT_SIGNUP_OK, "\7", 2), "The KVX server's answer could not be read. Please try again."},
    };
    EXPECT_FALSE(Run([&](HWND dialog) {
        for (const auto& [entries, said, field] : cases) {
            SetDlgItemTextA(dialog, IDC_SIGNUP_STATUS, "");
            Fill(dialog, entries);
            PressButton(dialog, IDOK);
            if (!said) {
                const SignupRequestRecord sent = Payload<SignupRequestRecord>(Sent(PKT_SIGNUP_REQUEST));
                EXPECT_EQ(entries[0] + entries[1] + entries[2],
                          FieldText(sent.nickname) + FieldText(sent.email) + FieldText(sent.password));
                bar.Send(PKT_SIGNUP_ERROR, "That nickname is taken.", 24);
            }
            EXPECT_TRUE(ItemShows(dialog, IDC_SIGNUP_STATUS, said ? said : "That nickname is taken.")) << entries[1];
            EXPECT_EQ(GetDlgItem(dialog, field), Focus(dialog)) << entries[1];
            for (int i = 0; i < 4; ++i) EXPECT_EQ(entries[i], DialogItemText(dialog, kFields[i])) << "nothing lost";
        }
        EXPECT_TRUE(bar.Quiet()) << "nothing unchecked was sent";
        for (const auto& [answer, said] : answers) { // the last entries, which go out
            PressButton(dialog, IDOK);
            Sent(PKT_SIGNUP_REQUEST);
            bar.Deliver(answer);
            EXPECT_EQ(said, WindowText(GetDlgItem(dialog, IDC_SIGNUP_STATUS)));
            EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, IDOK)));
        }
    }));
    EXPECT_TRUE(Untouched());
}

TEST_F(SignupTest, CancelCloseOrALostConnectionLeaveTheUserRecordAlone)
{
    EXPECT_FALSE(Run([](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); }));
    EXPECT_FALSE(Run([&](HWND dialog) {
        Fill(dialog, kValid);
        PressButton(dialog, IDOK);
        Sent(PKT_SIGNUP_REQUEST);
        PressButton(dialog, IDCANCEL);
    }));
    const SignupOkRecord ok = {99};
    bar.Send(PKT_SIGNUP_OK, &ok, sizeof ok); // too late: no wizard, no window
    EXPECT_TRUE(bar.Quiet());
    // Other test processes may show dialogs of their own meanwhile: only this process's count.
    EXPECT_TRUE(VisibleWindows(GetCurrentProcessId(), "#32770").empty()) << "a dialog left open";
    EXPECT_FALSE(Run(
        [&](HWND dialog) {
            Fill(dialog, kValid);
            PressButton(dialog, IDOK);
            EXPECT_TRUE(ItemShows(dialog, IDC_SIGNUP_STATUS, "The connection to the KVX server was lost."));
        },
        0));
    EXPECT_TRUE(Untouched());
}

} // namespace

// The sign-up dialog worked as a user works it while the far end of the connection reads
// the request and answers like the server.
#include <string.h>

#include "SignonFixture.h"
#include "signon/SignupIds.h"

namespace {

const int kFields[] = {IDC_SIGNUP_NICKNAME, IDC_SIGNUP_EMAIL, IDC_SIGNUP_PASSWORD, IDC_SIGNUP_CONFIRM};

class SignupTest : public SignonTest {
protected:
    SignupTest() { memset(&m_user, 0x5A, sizeof m_user); }

    BOOL Run(const std::function<void(HWND)>& driver, UINT_PTR socket)
    {
        BOOL result = TRUE;
        DriveDialog(SIGNUP_CAPTION, [&] { result = SO_Signup(bar.Handle(), &m_user, socket); }, driver);
        return result;
    }
    BOOL Run(const std::function<void(HWND)>& driver) { return Run(driver, bar.Socket()); }
    bool Untouched() const
    {
        USER_INFO_STRUCT before;
        memset(&before, 0x5A, sizeof before);
        return memcmp(&before, &m_user, sizeof before) == 0;
    }

    USER_INFO_STRUCT m_user;
};

void Fill(HWND dialog, const std::string (&values)[4])
{
    for (int i = 0; i < 4; ++i) SetDlgItemTextA(dialog, kFields[i], values[i].c_str());
}
const std::string kValid[4] = {"Fragger", "frag@example.com", "rocket9", "rocket9"};

HWND Focus(HWND dialog)
{
    GUITHREADINFO info = {sizeof info, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

TEST_F(SignupTest, EnterSendsTheRequestAndTheServersAcceptanceFillsTheUserRecord)
{
    PACKET_DATA request = {};
    EXPECT_TRUE(Run([&](HWND dialog) {
        EXPECT_FALSE(IsWindowEnabled(bar.Handle())) << "modal over the bar";
        EXPECT_EQ(GetDlgItem(dialog, IDC_SIGNUP_NICKNAME), Focus(dialog));
        for (int id : {IDC_SIGNUP_PASSWORD, IDC_SIGNUP_CONFIRM})
            EXPECT_NE(0, GetWindowLongA(GetDlgItem(dialog, id), GWL_STYLE) & ES_PASSWORD);
        Fill(dialog, kValid);
        PostMessageA(GetDlgItem(dialog, IDC_SIGNUP_CONFIRM), WM_KEYDOWN, VK_RETURN, 0);
        request = Sent(PKT_SIGNUP_REQUEST);
        EXPECT_TRUE(ItemShows(dialog, IDC_SIGNUP_STATUS, "Creating your account..."));
        for (int id : {IDC_SIGNUP_NICKNAME, IDC_SIGNUP_EMAIL, IDC_SIGNUP_PASSWORD, IDC_SIGNUP_CONFIRM, IDOK})
            EXPECT_FALSE(Enabled(dialog, id)) << id;
        EXPECT_TRUE(Enabled(dialog, IDCANCEL));
        bar.Send(1250, "????", 4);
        bar.Send(PKT_SIGNUP_REQUEST, std::string(156, 'a').data(), 156);
        const SignupOkRecord ok = {4711};
        bar.Send(PKT_SIGNUP_OK, &ok, sizeof ok);
        for (const DWORD end = GetTickCount() + 5000; IsWindow(dialog) && GetTickCount() < end;) Sleep(10);
        EXPECT_FALSE(IsWindow(dialog));
    }));
    const SignupRequestRecord sent = Payload<SignupRequestRecord>(request);
    EXPECT_EQ(std::string("rocket9\0\0\0", 10), std::string(sent.password, 10)) << "fields are zero-filled";
    EXPECT_EQ(4711, m_user.accountNumber);
    EXPECT_STREQ("Fragger", m_user.nickname);
    EXPECT_STREQ("frag@example.com", m_user.email);
    EXPECT_STREQ("rocket9", reinterpret_cast<const char*>(&m_user) + 128);
    EXPECT_EQ(0x5A, m_user.firstName[0]) << "other fields kept";
}

TEST_F(SignupTest, EntriesAreCheckedAtTheirLimitsAndARefusalAllowsAnotherTry)
{
    const std::string n31(31, 'n'), e91 = std::string(79, 'e') + "@example.com";
    const struct {
        std::string values[4];
        const char* said; // the status; nullptr: sent, then refused by the server
        int field;        // where the focus goes
    } cases[] = {
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
    EXPECT_FALSE(Run([&](HWND dialog) {
        for (const auto& c : cases) {
            SCOPED_TRACE(c.values[0] + " / " + c.values[1] + " / " + c.values[2]);
            SetDlgItemTextA(dialog, IDC_SIGNUP_STATUS, "");
            Fill(dialog, c.values);
            Click(dialog, IDOK);
            if (!c.said) {
                const SignupRequestRecord sent = Payload<SignupRequestRecord>(Sent(PKT_SIGNUP_REQUEST));
                EXPECT_EQ(c.values[0], FieldText(sent.nickname));
                EXPECT_EQ(c.values[1], FieldText(sent.email));
                EXPECT_EQ(c.values[2], FieldText(sent.password));
                bar.Send(PKT_SIGNUP_ERROR, "That nickname is taken.", 24);
            }
            EXPECT_TRUE(ItemShows(dialog, IDC_SIGNUP_STATUS, c.said ? c.said : "That nickname is taken."));
            EXPECT_EQ(GetDlgItem(dialog, c.field), Focus(dialog));
            for (int i = 0; i < 4; ++i) EXPECT_EQ(c.values[i], ItemText(dialog, kFields[i])) << "nothing lost";
            EXPECT_TRUE(Enabled(dialog, IDOK));
        }
        EXPECT_TRUE(bar.Quiet()) << "nothing unchecked was sent";
    }));
    EXPECT_TRUE(Untouched());
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

// The reason arrives as the session parsed it; the dialog must stop at the payload's length.
TEST_F(SignupTest, TheServersAnswerIsReadOnlyAsFarAsItsPayloadGoes)
{
    const struct {
        PACKET_DATA answer;
        std::string said;
        bool whole; // the whole status, not only part of it
    } cases[] = {
        {Claiming(PKT_SIGNUP_ERROR, "Server full", 6), "Server", true},
        {Claiming(PKT_SIGNUP_ERROR, "", 0xFFFF), std::string(2048, 'x'), true},
        {Claiming(PKT_SIGNUP_ERROR, "", 0), "could not create the account", false},
        {Claiming(PKT_SIGNUP_OK, "\7", 2), "could not be read", false},
    };
    EXPECT_FALSE(Run([&](HWND dialog) {
        Fill(dialog, kValid);
        for (const auto& c : cases) {
            Click(dialog, IDOK);
            Sent(PKT_SIGNUP_REQUEST);
            bar.Deliver(c.answer);
            const std::string status = ItemText(dialog, IDC_SIGNUP_STATUS);
            EXPECT_TRUE(c.whole ? status == c.said : status.find(c.said) != std::string::npos) << status;
            EXPECT_TRUE(Enabled(dialog, IDOK));
        }
    }));
    EXPECT_TRUE(Untouched());
}

TEST_F(SignupTest, CancelCloseOrALostConnectionLeaveTheUserRecordAlone)
{
    const char lost[] = "The connection to the KVX server was lost. Cancel and try again later.";
    const std::function<void(HWND)> drivers[] = {
        [](HWND dialog) { Click(dialog, IDCANCEL); },
        [](HWND dialog) { PostMessageA(dialog, WM_CLOSE, 0, 0); },
        [&](HWND dialog) {
            Fill(dialog, kValid);
            Click(dialog, IDOK);
            Sent(PKT_SIGNUP_REQUEST);
            EXPECT_TRUE(ItemShows(dialog, IDC_SIGNUP_STATUS, "Creating"));
            Click(dialog, IDCANCEL);
        },
    };
    for (const auto& driver : drivers) EXPECT_FALSE(Run(driver));
    const SignupOkRecord ok = {99};
    bar.Send(PKT_SIGNUP_OK, &ok, sizeof ok); // too late: no wizard, no window
    EXPECT_TRUE(bar.Quiet());
    EXPECT_EQ(nullptr, FindWindowA("#32770", nullptr));

    const UINT_PTR closed = bar.Socket();
    bar.Drop();
    for (const UINT_PTR socket : {UINT_PTR(0), closed})
        EXPECT_FALSE(Run([&](HWND dialog) {
            Fill(dialog, kValid);
            Click(dialog, IDOK);
            EXPECT_TRUE(ItemShows(dialog, IDC_SIGNUP_STATUS, lost));
            EXPECT_TRUE(Enabled(dialog, IDOK));
        }, socket));
    EXPECT_TRUE(Untouched());
}

} // namespace

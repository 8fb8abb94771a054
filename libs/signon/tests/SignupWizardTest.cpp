// The sign-up dialog driven the way a user (or another process) drives it: a test thread
// finds the dialog, types into its edits and clicks its buttons, while the far end of a real
// loopback connection reads the request and answers like the server.
#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>
#include <thread>

#include "SignupSession.h"
#include "signon/SignupIds.h"
#include "signon/signon.h"
#include "wire/Packets.h"

namespace {

const DWORD kWait = 5000;

HWND WaitForDialog()
{
    const DWORD end = GetTickCount() + kWait;
    while (GetTickCount() < end) {
        HWND dialog = FindWindowA("#32770", SIGNUP_CAPTION);
        if (dialog && IsWindowVisible(dialog)) return dialog;
        Sleep(10);
    }
    return nullptr;
}

std::string Text(HWND dialog, int id)
{
    char text[4096] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool WaitForStatus(HWND dialog, const std::string& part)
{
    const DWORD end = GetTickCount() + kWait;
    while (GetTickCount() < end) {
        if (Text(dialog, IDC_SIGNUP_STATUS).find(part) != std::string::npos) return true;
        Sleep(10);
    }
    return false;
}

bool Enabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

// The control holding the keyboard focus in the dialog's thread.
HWND Focus(HWND dialog)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info);
    return info.hwndFocus;
}

void Fill(HWND dialog, const std::string& nickname, const std::string& email, const std::string& password,
          const std::string& confirm)
{
    SetDlgItemTextA(dialog, IDC_SIGNUP_NICKNAME, nickname.c_str());
    SetDlgItemTextA(dialog, IDC_SIGNUP_EMAIL, email.c_str());
    SetDlgItemTextA(dialog, IDC_SIGNUP_PASSWORD, password.c_str());
    SetDlgItemTextA(dialog, IDC_SIGNUP_CONFIRM, confirm.c_str());
}

void FillValid(HWND dialog) { Fill(dialog, "Fragger", "frag@example.com", "rocket9", "rocket9"); }

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

std::string Field(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

PACKET_DATA Packet(WORD type, const void* data, size_t length, WORD claimedLength)
{
    PACKET_DATA packet;
    memset(&packet, 'x', sizeof packet);
    packet.type = type;
    packet.length = claimedLength;
    memcpy(packet.payload, data, length);
    return packet;
}

class SignupWizardTest : public ::testing::Test {
protected:
    SignupWizardTest() { memset(&m_user, 0x5A, sizeof m_user); m_before = m_user; }

    // Runs SO_Signup on this (GUI) thread while `driver` works the dialog from another;
    // whatever the driver leaves open is cancelled so the test cannot hang.
    BOOL Run(const std::function<void(HWND)>& driver, UINT_PTR socket)
    {
        std::thread thread([&] {
            HWND dialog = WaitForDialog();
            EXPECT_TRUE(dialog != nullptr) << "no sign-up dialog appeared";
            if (!dialog) return;
            driver(dialog);
            if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        const BOOL result = SO_Signup(m_session.Bar(), &m_user, socket);
        thread.join();
        return result;
    }
    BOOL Run(const std::function<void(HWND)>& driver) { return Run(driver, m_session.ClientSocket()); }

    bool UserUntouched() const { return memcmp(&m_user, &m_before, sizeof m_user) == 0; }

    SignupSession m_session;
    USER_INFO_STRUCT m_user;
    USER_INFO_STRUCT m_before;
};

TEST_F(SignupWizardTest, DialogOffersTheDocumentedControls)
{
    const BOOL result = Run([&](HWND dialog) {
        EXPECT_EQ(m_session.Bar(), GetWindow(dialog, GW_OWNER));
        for (int id : {IDC_SIGNUP_NICKNAME, IDC_SIGNUP_EMAIL, IDC_SIGNUP_PASSWORD, IDC_SIGNUP_CONFIRM}) {
            char cls[32] = "";
            GetClassNameA(GetDlgItem(dialog, id), cls, sizeof cls);
            EXPECT_STREQ("Edit", cls) << id;
        }
        EXPECT_EQ(0, GetWindowLongA(GetDlgItem(dialog, IDC_SIGNUP_EMAIL), GWL_STYLE) & ES_PASSWORD);
        EXPECT_NE(0, GetWindowLongA(GetDlgItem(dialog, IDC_SIGNUP_PASSWORD), GWL_STYLE) & ES_PASSWORD);
        EXPECT_NE(0, GetWindowLongA(GetDlgItem(dialog, IDC_SIGNUP_CONFIRM), GWL_STYLE) & ES_PASSWORD);
        EXPECT_TRUE(GetDlgItem(dialog, IDC_SIGNUP_STATUS) != nullptr);
        EXPECT_EQ("Sign Up", Text(dialog, IDOK));
        EXPECT_EQ("Cancel", Text(dialog, IDCANCEL));
        EXPECT_EQ(MAKELRESULT(IDOK, DC_HASDEFID), SendMessageA(dialog, DM_GETDEFID, 0, 0));
        EXPECT_EQ(GetDlgItem(dialog, IDC_SIGNUP_NICKNAME), Focus(dialog));
        EXPECT_FALSE(IsWindowEnabled(m_session.Bar())) << "the dialog is modal over the bar";
    });
    EXPECT_FALSE(result);
}

TEST_F(SignupWizardTest, AcceptedSignupFillsTheUserRecord)
{
    PACKET_DATA request = {};
    const BOOL result = Run([&](HWND dialog) {
        FillValid(dialog);
        Click(dialog, IDOK);
        ASSERT_TRUE(m_session.ReadFrame(&request, kWait));
        EXPECT_TRUE(WaitForStatus(dialog, "Creating your account..."));
        for (int id : {IDC_SIGNUP_NICKNAME, IDC_SIGNUP_EMAIL, IDC_SIGNUP_PASSWORD, IDC_SIGNUP_CONFIRM, IDOK})
            EXPECT_FALSE(Enabled(dialog, id)) << id;
        EXPECT_TRUE(Enabled(dialog, IDCANCEL));
        const SignupOkRecord ok = {4711};
        m_session.Answer(PKT_SIGNUP_OK, &ok, sizeof ok);
        const DWORD end = GetTickCount() + kWait;
        while (IsWindow(dialog) && GetTickCount() < end) Sleep(10);
        EXPECT_FALSE(IsWindow(dialog));
    });
    EXPECT_TRUE(result);

    EXPECT_EQ(PKT_SIGNUP_REQUEST, request.type);
    ASSERT_EQ(sizeof(SignupRequestRecord), request.length);
    SignupRequestRecord sent;
    memcpy(&sent, request.payload, sizeof sent);
    EXPECT_EQ("Fragger", Field(sent.nickname, sizeof sent.nickname));
    EXPECT_EQ("frag@example.com", Field(sent.email, sizeof sent.email));
    EXPECT_EQ("rocket9", Field(sent.password, sizeof sent.password));
    EXPECT_EQ(std::string(sizeof sent.password - 7, '\0'), std::string(sent.password + 7, sizeof sent.password - 7))
        << "fields are zero-filled";

    EXPECT_EQ(4711, m_user.accountNumber);
    EXPECT_STREQ("Fragger", m_user.nickname);
    EXPECT_STREQ("frag@example.com", m_user.email);
    EXPECT_STREQ("rocket9", reinterpret_cast<const char*>(&m_user) + 128);
    EXPECT_EQ(0, memcmp(m_user.firstName, m_before.firstName, sizeof m_user.firstName)) << "other fields kept";
}

TEST_F(SignupWizardTest, LongestAllowedValuesAreSentWhole)
{
    const std::string nickname(31, 'n');
    const std::string email = std::string(79, 'e') + "@example.com"; // 91 characters
    PACKET_DATA request = {};
    Run([&](HWND dialog) {
        Fill(dialog, nickname, email, "123456789", "123456789");
        Click(dialog, IDOK);
        EXPECT_TRUE(m_session.ReadFrame(&request, kWait));
    });
    SignupRequestRecord sent;
    memcpy(&sent, request.payload, sizeof sent);
    EXPECT_EQ(nickname, Field(sent.nickname, sizeof sent.nickname));
    EXPECT_EQ(email, Field(sent.email, sizeof sent.email));
    EXPECT_EQ("123456789", Field(sent.password, sizeof sent.password));
}

TEST_F(SignupWizardTest, EnterInAFieldSignsUp)
{
    PACKET_DATA request = {};
    Run([&](HWND dialog) {
        FillValid(dialog);
        HWND confirm = GetDlgItem(dialog, IDC_SIGNUP_CONFIRM);
        PostMessageA(confirm, WM_KEYDOWN, VK_RETURN, 0);
        PostMessageA(confirm, WM_KEYUP, VK_RETURN, 0);
        EXPECT_TRUE(m_session.ReadFrame(&request, kWait));
    });
    EXPECT_EQ(PKT_SIGNUP_REQUEST, request.type);
}

struct BadEntry {
    const char* nickname;
    const char* email;
    const char* password;
    const char* confirm;
    const char* message; // part of the status text
    int field;           // where the focus goes
};

TEST_F(SignupWizardTest, InvalidEntriesAreExplainedAndNothingIsLostOrSent)
{
    const std::string nick32(32, 'n');
    const std::string email92 = std::string(80, 'e') + "@example.com";
    const BadEntry cases[] = {
        {"", "a@b.c", "pw", "pw", "enter a nickname", IDC_SIGNUP_NICKNAME},
        {nick32.c_str(), "a@b.c", "pw", "pw", "at most 31", IDC_SIGNUP_NICKNAME},
        {"Nick", "", "pw", "pw", "enter your e-mail", IDC_SIGNUP_EMAIL},
        {"Nick", "nobody.example.com", "pw", "pw", "does not look right", IDC_SIGNUP_EMAIL},
        {"Nick", "first.last@localhost", "pw", "pw", "does not look right", IDC_SIGNUP_EMAIL},
        {"Nick", "name@example.", "pw", "pw", "does not look right", IDC_SIGNUP_EMAIL},
        {"Nick", email92.c_str(), "pw", "pw", "at most 91", IDC_SIGNUP_EMAIL},
        {"Nick", "a@b.c", "", "", "choose a password", IDC_SIGNUP_PASSWORD},
        {"Nick", "a@b.c", "1234567890", "1234567890", "at most 9", IDC_SIGNUP_PASSWORD},
        {"Nick", "a@b.c", "secret", "secreT", "not the same", IDC_SIGNUP_CONFIRM},
    };
    const BOOL result = Run([&](HWND dialog) {
        for (const BadEntry& bad : cases) {
            SCOPED_TRACE(std::string(bad.nickname) + " / " + bad.email + " / " + bad.password);
            SetDlgItemTextA(dialog, IDC_SIGNUP_STATUS, "");
            Fill(dialog, bad.nickname, bad.email, bad.password, bad.confirm);
            Click(dialog, IDOK);
            EXPECT_TRUE(WaitForStatus(dialog, bad.message)) << Text(dialog, IDC_SIGNUP_STATUS);
            EXPECT_EQ(GetDlgItem(dialog, bad.field), Focus(dialog));
            EXPECT_EQ(bad.nickname, Text(dialog, IDC_SIGNUP_NICKNAME));
            EXPECT_EQ(bad.email, Text(dialog, IDC_SIGNUP_EMAIL));
            EXPECT_EQ(bad.password, Text(dialog, IDC_SIGNUP_PASSWORD));
            EXPECT_EQ(bad.confirm, Text(dialog, IDC_SIGNUP_CONFIRM));
            EXPECT_TRUE(Enabled(dialog, IDOK));
        }
        PACKET_DATA unexpected;
        EXPECT_FALSE(m_session.ReadFrame(&unexpected, 200)) << "sent packet " << unexpected.type;
        Click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(result);
    EXPECT_TRUE(UserUntouched());
}

TEST_F(SignupWizardTest, RefusalShowsTheReasonAndAllowsAnotherTry)
{
    const BOOL result = Run([&](HWND dialog) {
        FillValid(dialog);
        Click(dialog, IDOK);
        PACKET_DATA request;
        ASSERT_TRUE(m_session.ReadFrame(&request, kWait));
        m_session.Answer(PKT_SIGNUP_ERROR, std::string("That nickname is taken.", 24));
        ASSERT_TRUE(WaitForStatus(dialog, "That nickname is taken."));
        EXPECT_EQ("That nickname is taken.", Text(dialog, IDC_SIGNUP_STATUS));
        for (int id : {IDC_SIGNUP_NICKNAME, IDC_SIGNUP_EMAIL, IDC_SIGNUP_PASSWORD, IDC_SIGNUP_CONFIRM, IDOK})
            EXPECT_TRUE(Enabled(dialog, id)) << id;
        EXPECT_EQ("Fragger", Text(dialog, IDC_SIGNUP_NICKNAME));
        EXPECT_EQ("rocket9", Text(dialog, IDC_SIGNUP_CONFIRM));
        EXPECT_EQ(GetDlgItem(dialog, IDC_SIGNUP_NICKNAME), Focus(dialog));

        SetDlgItemTextA(dialog, IDC_SIGNUP_NICKNAME, "Fragger2");
        Click(dialog, IDOK);
        ASSERT_TRUE(m_session.ReadFrame(&request, kWait));
        EXPECT_EQ("Fragger2", Field(reinterpret_cast<const char*>(request.payload), 32));
        const SignupOkRecord ok = {12};
        m_session.Answer(PKT_SIGNUP_OK, &ok, sizeof ok);
        const DWORD end = GetTickCount() + kWait;
        while (IsWindow(dialog) && GetTickCount() < end) Sleep(10);
    });
    EXPECT_TRUE(result);
    EXPECT_EQ(12, m_user.accountNumber);
    EXPECT_STREQ("Fragger2", m_user.nickname);
}

// The reason arrives as the session parsed it; the dialog must stop at the payload length.
TEST_F(SignupWizardTest, RefusalTextIsReadOnlyAsFarAsThePayloadGoes)
{
    Run([&](HWND dialog) {
        FillValid(dialog);
        Click(dialog, IDOK);
        PACKET_DATA request;
        ASSERT_TRUE(m_session.ReadFrame(&request, kWait));

        m_session.DeliverThroughBar(Packet(PKT_SIGNUP_ERROR, "Server full", 11, 6));
        EXPECT_EQ("Server", Text(dialog, IDC_SIGNUP_STATUS));

        Click(dialog, IDOK);
        ASSERT_TRUE(m_session.ReadFrame(&request, kWait));
        m_session.DeliverThroughBar(Packet(PKT_SIGNUP_ERROR, "", 0, 0xFFFF));
        EXPECT_EQ(std::string(2048, 'x'), Text(dialog, IDC_SIGNUP_STATUS)) << "unterminated: all 2048 bytes, no more";

        Click(dialog, IDOK);
        ASSERT_TRUE(m_session.ReadFrame(&request, kWait));
        m_session.DeliverThroughBar(Packet(PKT_SIGNUP_ERROR, "", 0, 0));
        EXPECT_TRUE(WaitForStatus(dialog, "could not create the account")) << "an empty reason still says something";
        EXPECT_TRUE(Enabled(dialog, IDOK));
    });
}

TEST_F(SignupWizardTest, UnrelatedAndMalformedAnswersDoNotFinishTheSignup)
{
    const BOOL result = Run([&](HWND dialog) {
        FillValid(dialog);
        Click(dialog, IDOK);
        PACKET_DATA request;
        ASSERT_TRUE(m_session.ReadFrame(&request, kWait));
        m_session.Answer(1250, std::string("????"));
        m_session.Answer(PKT_SIGNUP_REQUEST, std::string(156, 'a'));
        Sleep(200);
        EXPECT_EQ("Creating your account...", Text(dialog, IDC_SIGNUP_STATUS)) << "still waiting";
        EXPECT_FALSE(Enabled(dialog, IDOK));

        const char shortOk[2] = {7, 0};
        m_session.Answer(PKT_SIGNUP_OK, shortOk, sizeof shortOk);
        EXPECT_TRUE(WaitForStatus(dialog, "could not be read"));
        EXPECT_TRUE(Enabled(dialog, IDOK));
        EXPECT_TRUE(IsWindow(dialog));
        Click(dialog, IDCANCEL);
    });
    EXPECT_FALSE(result);
    EXPECT_TRUE(UserUntouched());
}

TEST_F(SignupWizardTest, CancelOrCloseLeavesTheUserRecordAlone)
{
    EXPECT_FALSE(Run([&](HWND dialog) {
        FillValid(dialog);
        Click(dialog, IDCANCEL);
    }));
    EXPECT_TRUE(UserUntouched());

    EXPECT_FALSE(Run([&](HWND dialog) {
        FillValid(dialog);
        PostMessageA(dialog, WM_CLOSE, 0, 0);
    }));
    EXPECT_TRUE(UserUntouched());

    // Given up while waiting: a late acceptance finds no wizard and changes nothing.
    EXPECT_FALSE(Run([&](HWND dialog) {
        FillValid(dialog);
        Click(dialog, IDOK);
        PACKET_DATA request;
        EXPECT_TRUE(m_session.ReadFrame(&request, kWait));
        EXPECT_TRUE(WaitForStatus(dialog, "Creating"));
        Click(dialog, IDCANCEL);
    }));
    const SignupOkRecord ok = {99};
    SO_Message(Packet(PKT_SIGNUP_OK, &ok, sizeof ok, sizeof ok), m_session.ClientSocket());
    EXPECT_TRUE(UserUntouched());
}

TEST_F(SignupWizardTest, NoConnectionKeepsTheDialogOpenWithAHint)
{
    const char lost[] = "The connection to the KVX server was lost. KVX reconnects by itself";
    EXPECT_FALSE(Run(
        [&](HWND dialog) {
            FillValid(dialog);
            Click(dialog, IDOK);
            EXPECT_TRUE(WaitForStatus(dialog, lost));
            EXPECT_TRUE(Enabled(dialog, IDOK));
            EXPECT_EQ("Fragger", Text(dialog, IDC_SIGNUP_NICKNAME));
        },
        0));

    // A handle the session has closed since (the connection dropped).
    const UINT_PTR closed = m_session.ClientSocket();
    m_session.CloseClientSocket();
    EXPECT_FALSE(Run(
        [&](HWND dialog) {
            FillValid(dialog);
            Click(dialog, IDOK);
            EXPECT_TRUE(WaitForStatus(dialog, lost));
            EXPECT_TRUE(IsWindow(dialog));
        },
        closed));
    EXPECT_TRUE(UserUntouched());
}

TEST_F(SignupWizardTest, ASignupAskedAgainOnANewConnectionIsFinishedInTheOpenDialog)
{
    SignupAgain again;
    again.socket = m_session.ClientSocket();
    const BOOL first = Run(
        [&](HWND dialog) {
            m_session.SignupAgainThroughBar(&again);
            const DWORD end = GetTickCount() + kWait;
            while (!again.started && GetTickCount() < end) Sleep(10);
            FillValid(dialog);
            Click(dialog, IDOK);
            PACKET_DATA request;
            ASSERT_TRUE(m_session.ReadFrame(&request, kWait)) << "sent over the new connection";
            const SignupOkRecord ok = {4711};
            m_session.Answer(PKT_SIGNUP_OK, &ok, sizeof ok);
            while (IsWindow(dialog) && GetTickCount() < end + kWait) Sleep(10);
            EXPECT_FALSE(IsWindow(dialog));
        },
        0); // the connection the dialog was opened on is gone
    EXPECT_TRUE(again.result);
    EXPECT_EQ(4711, again.user.accountNumber) << "the newer caller has the account";
    EXPECT_TRUE(first);
    EXPECT_EQ(0, m_user.accountNumber) << "the earlier one is told the sign-up finished elsewhere";
}

TEST(SignonWithoutWizard, StrayPacketsOpenNothing)
{
    const SignupOkRecord ok = {5};
    PACKET_DATA packet = {};
    packet.type = PKT_SIGNUP_OK;
    packet.length = sizeof ok;
    memcpy(packet.payload, &ok, sizeof ok);
    SO_Message(packet, 0);
    packet.type = PKT_SIGNUP_ERROR;
    SO_Message(packet, 0);
    EXPECT_EQ(nullptr, FindWindowA("#32770", nullptr));
}

} // namespace

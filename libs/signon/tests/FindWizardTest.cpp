// The find-users dialog driven as a user would drive it, from a test thread, while the far
// end of a real loopback connection reads the requests and answers like the server.
#include <gtest/gtest.h>

#include <string.h>

#include <functional>
#include <string>
#include <thread>

#include "SignupSession.h"
#include "signon/FindIds.h"
#include "signon/signon.h"
#include "wire/Contacts.h"

namespace {

const DWORD kWait = 5000;

std::string Text(HWND dialog, int id)
{
    char text[512] = "";
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

bool WaitFor(const std::function<bool()>& condition)
{
    for (const DWORD end = GetTickCount() + kWait; GetTickCount() < end; Sleep(10))
        if (condition()) return true;
    return false;
}

void Click(HWND dialog, int id) { PostMessageA(GetDlgItem(dialog, id), BM_CLICK, 0, 0); }

Profile User(std::int32_t account, const char* nickname, std::uint16_t status)
{
    Profile user = {};
    user.account = account;
    user.status = status;
    strncpy(user.nickname, nickname, sizeof user.nickname - 1);
    return user;
}

class FindWizardTest : public ::testing::Test {
protected:
    // Runs SO_Find on this (GUI) thread while `driver` works the dialog from another.
    BOOL Run(const std::function<void(HWND)>& driver, UINT_PTR socket)
    {
        std::thread thread([&] {
            HWND dialog = nullptr;
            WaitFor([&] { return (dialog = FindWindowA("#32770", FIND_CAPTION)) && IsWindowVisible(dialog); });
            EXPECT_TRUE(dialog != nullptr) << "no find dialog appeared";
            if (!dialog) return;
            driver(dialog);
            if (IsWindow(dialog)) PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
        });
        const BOOL result = SO_Find(m_session.Bar(), socket);
        thread.join();
        return result;
    }
    int Results(HWND dialog)
    {
        return static_cast<int>(SendDlgItemMessageA(dialog, IDC_FIND_RESULTS, LB_GETCOUNT, 0, 0));
    }

    SignupSession m_session;
};

TEST_F(FindWizardTest, ASearchListsWhatTheServerFoundAndAddSendsTheChosenOnes)
{
    PACKET_DATA search = {}, first = {}, second = {};
    const BOOL added = Run(
        [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_FIND_TEXT, "frag");
            Click(dialog, IDC_FIND_SEARCH);
            ASSERT_TRUE(m_session.ReadFrame(&search, kWait));
            ProfileList found = {};
            found.count = 2;
            found.entries[0] = User(10001, "Fragger", 300);
            found.entries[1] = User(10007, "FragQueen", 100);
            m_session.Answer(PKT_SEARCH_RESULT, &found, sizeof found);
            ASSERT_TRUE(WaitFor([&] { return Results(dialog) == 2; }));
            SendDlgItemMessageA(dialog, IDC_FIND_RESULTS, LB_SELITEMRANGE, TRUE, MAKELPARAM(0, 1));
            Click(dialog, IDC_FIND_ADD);
            ASSERT_TRUE(m_session.ReadFrame(&first, kWait));
            ASSERT_TRUE(m_session.ReadFrame(&second, kWait));
            EXPECT_TRUE(WaitFor([&] { return Text(dialog, IDC_FIND_STATUS).find("Added 2") != std::string::npos; }));
        },
        m_session.ClientSocket());
    EXPECT_TRUE(added);
    ASSERT_EQ(PKT_SEARCH, search.type);
    SearchRecord sent = {};
    memcpy(&sent, search.payload, sizeof sent);
    EXPECT_EQ(SEARCH_BY_NICKNAME, sent.by);
    EXPECT_STREQ("frag", sent.text);
    for (const PACKET_DATA* add : {&first, &second}) EXPECT_EQ(PKT_CONTACT_ADD, add->type);
    AccountRecord a = {}, b = {};
    memcpy(&a, first.payload, sizeof a);
    memcpy(&b, second.payload, sizeof b);
    EXPECT_EQ(10001 + 10007, a.account + b.account) << "both chosen users, once each";
}

TEST_F(FindWizardTest, BadInputAndShortAnswersAreExplainedAndNothingUnsureIsSent)
{
    const BOOL added = Run(
        [&](HWND dialog) {
            Click(dialog, IDC_FIND_SEARCH);
            EXPECT_TRUE(WaitFor([&] { return Text(dialog, IDC_FIND_STATUS).find("Type a nickname") == 0; }));
            SendDlgItemMessageA(dialog, IDC_FIND_BY_ACCOUNT, BM_CLICK, 0, 0);
            SetDlgItemTextA(dialog, IDC_FIND_TEXT, "10o01");
            Click(dialog, IDC_FIND_SEARCH);
            EXPECT_TRUE(
                WaitFor([&] { return Text(dialog, IDC_FIND_STATUS).find("is a number") != std::string::npos; }));
            Click(dialog, IDC_FIND_ADD);
            EXPECT_TRUE(WaitFor([&] { return Text(dialog, IDC_FIND_STATUS).find("Select the users") == 0; }));

            SetDlgItemTextA(dialog, IDC_FIND_TEXT, "10001");
            Click(dialog, IDC_FIND_SEARCH);
            PACKET_DATA search = {};
            ASSERT_TRUE(m_session.ReadFrame(&search, kWait)) << "the first request to go out";
            EXPECT_EQ(SEARCH_BY_ACCOUNT, search.payload[0]);
            // A count of 15 in a payload that holds one entry: only that one is listed.
            ProfileList found = {};
            found.count = 15;
            found.entries[0] = User(10001, "Fragger", 300);
            m_session.Answer(PKT_SEARCH_RESULT, &found, offsetof(ProfileList, entries) + sizeof(Profile));
            EXPECT_TRUE(WaitFor([&] { return Results(dialog) == 1; }));
        },
        m_session.ClientSocket());
    EXPECT_FALSE(added) << "nobody was added";

    EXPECT_FALSE(Run(
        [&](HWND dialog) {
            SetDlgItemTextA(dialog, IDC_FIND_TEXT, "frag");
            Click(dialog, IDC_FIND_SEARCH);
            EXPECT_TRUE(WaitFor([&] { return Text(dialog, IDC_FIND_STATUS).find("Not connected") == 0; }));
        },
        0));
}

} // namespace

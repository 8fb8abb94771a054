// A first start with no account: the sign-up wizard, driven from this process as a user
// would fill it, creates the account on the real server, the client goes Online, and the
// next start logs in with what the wizard stored.
#include <gtest/gtest.h>

#include <string>

#include "signon/SignupIds.h"
#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/Wait.h"

namespace {

class SignupTest : public ::testing::Test {
protected:
    SignupTest()
        : folder(::testing::UnitTest::GetInstance()->current_test_info()->name()), server(folder.Path(), "127.0.0.40")
    {
    }

    HWND StartClient()
    {
        if (!client.Start(folder.Path())) return nullptr;
        return client.WaitForBar();
    }
    HWND Wizard(DWORD timeoutMs) { return FindMessageBox(client.Pid(), SIGNUP_CAPTION, timeoutMs).window; }
    void Fill(HWND wizard, const char* password, const char* confirm)
    {
        SetDlgItemTextA(wizard, IDC_SIGNUP_NICKNAME, "newcomer");
        SetDlgItemTextA(wizard, IDC_SIGNUP_EMAIL, "newcomer@kvx.example");
        SetDlgItemTextA(wizard, IDC_SIGNUP_PASSWORD, password);
        SetDlgItemTextA(wizard, IDC_SIGNUP_CONFIRM, confirm);
    }

    ScratchFolder folder;
    ServerProcess server;
    ClientProcess client;
};

TEST_F(SignupTest, TheWizardCreatesTheAccountAndTheNextStartLogsInWithIt)
{
    ASSERT_TRUE(server.Start()) << server.Log();
    folder.Write("KVX.ini", server.Ini());
    HWND bar = StartClient();
    ASSERT_NE(nullptr, bar);
    HWND wizard = Wizard(15000);
    ASSERT_NE(nullptr, wizard) << "no account: the wizard opens once connected";

    Fill(wizard, "secret1", "secret2");
    PressButton(wizard, IDOK);
    EXPECT_TRUE(WaitFor([&] { return !DialogItemText(wizard, IDC_SIGNUP_STATUS).empty(); }, 3000));
    EXPECT_TRUE(IsWindow(wizard)) << "a mismatched confirmation keeps the wizard open with what was typed";
    EXPECT_EQ("newcomer", DialogItemText(wizard, IDC_SIGNUP_NICKNAME));

    Fill(wizard, "secret1", "secret1");
    PressButton(wizard, IDOK);
    ASSERT_TRUE(StatusBecomes(bar, 300, 15000)) << DialogItemText(wizard, IDC_SIGNUP_STATUS) << "\n" << server.Log();
    EXPECT_FALSE(IsWindow(wizard));
    const LRESULT account = Ask(bar, kQueryAccount);
    EXPECT_GT(account, 0);
    const std::string ini = folder.Read("KVX.ini");
    EXPECT_NE(std::string::npos, ini.find("ID=" + std::to_string(account))) << ini;
    EXPECT_NE(std::string::npos, ini.find("PW=secret1")) << ini;

    PostMessageA(bar, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(client.WaitForExit(10000, &code));
    bar = StartClient();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(StatusBecomes(bar, 300, 15000)) << server.Log();
    EXPECT_EQ(account, Ask(bar, kQueryAccount));
    EXPECT_EQ(nullptr, Wizard(0)) << "an account on file goes straight to the login";
}

} // namespace

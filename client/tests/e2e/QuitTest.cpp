// Quitting with Escape, and the placement saved on the way out.
#include <gtest/gtest.h>

#include <string>

#include "support/ClientProcess.h"
#include "support/MessageBoxes.h"
#include "support/ScratchFolder.h"
#include "support/Wait.h"

namespace {

// The value of key=... in a section of an INI text, or "<missing>".
std::string IniValue(const std::string& ini, const std::string& section, const std::string& key)
{
    const size_t start = ini.find("[" + section + "]");
    if (start == std::string::npos) return "<missing>";
    const size_t end = ini.find("\n[", start + 1);
    const std::string body = ini.substr(start, end == std::string::npos ? std::string::npos : end - start);
    const size_t at = body.find("\n" + key + "=");
    if (at == std::string::npos) return "<missing>";
    const size_t from = at + key.size() + 2;
    return body.substr(from, body.find_first_of("\r\n", from) - from);
}

class QuitTest : public ::testing::Test {
protected:
    QuitTest() : folder("quit") {}

    SeenBox PressEscape(HWND bar)
    {
        PostMessageA(bar, WM_KEYDOWN, VK_ESCAPE, 0);
        return FindMessageBox(client.Pid(), "KVX", 5000);
    }

    ScratchFolder folder;
    ClientProcess client;
};

TEST_F(QuitTest, EscapeAsksAndNoLeavesTheBarRunning)
{
    ASSERT_TRUE(client.Start(folder.Path()));
    HWND bar = client.WaitForBar();
    ASSERT_NE(nullptr, bar);

    const SeenBox box = PressEscape(bar);
    ASSERT_NE(nullptr, box.window);
    EXPECT_EQ("Do you want to quit KVX?", box.text);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
    EXPECT_EQ(bar, GetWindow(box.window, GW_OWNER)) << "owned by the bar";
    PressButton(box.window, IDNO);

    EXPECT_TRUE(WaitFor([&] { return !IsWindow(box.window); }, 3000));
    EXPECT_FALSE(WaitFor([&] { return !client.IsRunning(); }, 1000));
    EXPECT_TRUE(IsWindowVisible(bar));
    EXPECT_EQ("<missing>", IniValue(folder.Read("KVX.ini"), "Window", "x")) << "no placement saved yet";
}

TEST_F(QuitTest, EscapeYesQuitsWithCodeZeroAndSavesThePlacement)
{
    folder.Write("KVX.ini", "[Window]\r\nx=40\r\ny=50\r\nh=300\r\n");
    ASSERT_TRUE(client.Start(folder.Path()));
    HWND bar = client.WaitForBar();
    ASSERT_NE(nullptr, bar);
    RECT rc;
    ASSERT_TRUE(GetWindowRect(bar, &rc));
    EXPECT_EQ(40, rc.left);
    EXPECT_EQ(50, rc.top);
    EXPECT_EQ(300, rc.bottom - rc.top);

    SetWindowPos(bar, nullptr, 120, 80, 199, 350, SWP_NOZORDER | SWP_NOACTIVATE);
    const SeenBox box = PressEscape(bar);
    ASSERT_NE(nullptr, box.window);
    PressButton(box.window, IDYES);

    DWORD code = 1234;
    ASSERT_TRUE(client.WaitForExit(10000, &code));
    EXPECT_EQ(0u, code);
    const std::string ini = folder.Read("KVX.ini");
    EXPECT_EQ("120", IniValue(ini, "Window", "x"));
    EXPECT_EQ("80", IniValue(ini, "Window", "y"));
    EXPECT_EQ("350", IniValue(ini, "Window", "h"));
    EXPECT_EQ("0", IniValue(ini, "Window", "Dock"));
}

TEST_F(QuitTest, ClosingTheWindowSavesTheLastPlaceItHad)
{
    ASSERT_TRUE(client.Start(folder.Path()));
    HWND bar = client.WaitForBar();
    ASSERT_NE(nullptr, bar);
    SetWindowPos(bar, nullptr, 200, 100, 199, 320, SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageA(bar, WM_CLOSE, 0, 0);

    DWORD code = 1234;
    ASSERT_TRUE(client.WaitForExit(10000, &code));
    EXPECT_EQ(0u, code);
    const std::string ini = folder.Read("KVX.ini");
    EXPECT_EQ("200", IniValue(ini, "Window", "x"));
    EXPECT_EQ("100", IniValue(ini, "Window", "y"));
    EXPECT_EQ("320", IniValue(ini, "Window", "h"));
}

} // namespace

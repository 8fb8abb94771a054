// The real bar under the real pointer: a click on Current Status opens the status menu,
// whose Offline item, chosen from the keyboard, sends the client offline; Exit quits at the
// release of the button, not at the press.
#include <gtest/gtest.h>

#include <string>

#include "support/BarQueries.h"
#include "support/ClientProcess.h"
#include "support/Input.h"
#include "support/MenuProbe.h"
#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"
#include "support/WireClient.h"

namespace {

const LONG kSkinBottomHeight = 60; // the bottom piece of the shipped skins

class MouseTest : public ::testing::Test {
protected:
    MouseTest()
        : folder(::testing::UnitTest::GetInstance()->current_test_info()->name()), server(folder.Path(), "127.0.0.42")
    {
        LeftUp();
    }
    HWND StartOnline()
    {
        if (!server.Start() || !CopyArt(folder.Path())) return nullptr;
        std::string error;
        const long account = SignUpOverWire(server.Address(), "mouse", "mouse@kvx.example", "pass1", &error);
        folder.Write("KVX.ini", server.Ini() + "[User]\r\nID=" + std::to_string(account) +
                                    "\r\nPW=pass1\r\n[Window]\r\nx=200\r\ny=100\r\nh=400\r\n");
        if (!client.Start(folder.Path())) return nullptr;
        HWND bar = client.WaitForBar();
        return bar && StatusBecomes(bar, 300, 15000) ? bar : nullptr;
    }
    void Click(HWND bar, LONG x, LONG y)
    {
        MoveTo(bar, x, y);
        Sleep(200);
        LeftDown();
        Sleep(150);
        LeftUp();
    }

    ScratchFolder folder;
    ServerProcess server;
    ClientProcess client;
};

TEST_F(MouseTest, TheStatusMenuOpensUpwardsFromItsRegionAndOfflineSendsTheClientOffline)
{
    HWND bar = StartOnline();
    ASSERT_NE(nullptr, bar) << server.Log();
    RECT area;
    GetClientRect(bar, &area);
    const LONG regionTop = area.bottom - kSkinBottomHeight + 29;
    Click(bar, 120, regionTop + 9);
    const std::vector<HWND> menus = WaitForMenus(client.Pid(), 1);
    ASSERT_EQ(1u, menus.size()) << "the release on Current Status opens its menu";
    RECT menu;
    GetWindowRect(menus[0], &menu);
    POINT corner = {70, regionTop};
    ClientToScreen(bar, &corner);
    EXPECT_EQ(corner.x, menu.left);
    EXPECT_EQ(corner.y, menu.bottom);
    PressKeys(menus[0], {VK_DOWN, VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
    EXPECT_TRUE(StatusBecomes(bar, 100, 5000)) << "Offline/Disconnect, the fourth item";
}

TEST_F(MouseTest, ExitQuitsAtTheReleaseNotAtThePress)
{
    HWND bar = StartOnline();
    ASSERT_NE(nullptr, bar) << server.Log();
    MoveTo(bar, 181, 13);
    Sleep(200);
    LeftDown();
    Sleep(600);
    EXPECT_TRUE(client.IsRunning()) << "still running while the button is held";
    LeftUp();
    DWORD code = 1;
    ASSERT_TRUE(client.WaitForExit(5000, &code));
    EXPECT_EQ(0u, code);
}

} // namespace

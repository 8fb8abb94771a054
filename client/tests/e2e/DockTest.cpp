// Docking the real bar with the real pointer: dragged to the left edge it docks over the
// work area's full height and says so in KVX.ini, dragged away it floats at its height
// again; hidden it frees the strip, shown from the tray it docks again, and a bar docked
// at exit starts docked. (Wine's shell takes the appbar calls but keeps the work area as
// it is, so the test looks at the bar's own rectangle and settings.)
#include <gtest/gtest.h>

#include <string>

#include "support/ClientProcess.h"
#include "support/Input.h"
#include "support/ScratchFolder.h"
#include "support/TrayTip.h"
#include "support/Wait.h"

namespace {

class DockTest : public ::testing::Test {
protected:
    DockTest() : folder(::testing::UnitTest::GetInstance()->current_test_info()->name())
    {
        LeftUp();
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    }
    HWND Start()
    {
        if (!client.Start(folder.Path())) return nullptr;
        return client.WaitForBar();
    }
    // A press on the contact list, outside every hot region, then a drag to (x, y).
    void Drag(HWND bar, LONG x, LONG y)
    {
        MoveTo(bar, 60, 200);
        Sleep(200);
        LeftDown();
        Sleep(200);
        MoveTo(x, y);
        Sleep(300);
        LeftUp();
        Sleep(300);
    }
    std::string Dock()
    {
        const std::string ini = folder.Read("KVX.ini");
        const size_t at = ini.find("Dock=");
        return at == std::string::npos ? "" : ini.substr(at + 5, ini.find("\r\n", at) - at - 5);
    }
    RECT Rect(HWND bar)
    {
        RECT rect = {};
        GetWindowRect(bar, &rect);
        return rect;
    }
    bool DockedLeft(HWND bar)
    {
        return WaitFor([&] {
            const RECT rect = Rect(bar);
            return rect.left == work.left - 4 && rect.bottom - rect.top == work.bottom - work.top + 4 && Dock() == "10";
        }, 3000);
    }

    ScratchFolder folder;
    ClientProcess client;
    RECT work = {};
};

TEST_F(DockTest, DragToTheEdgeDocksHideFreesShowDocksAgainAndTheEdgeSurvivesARestart)
{
    ASSERT_TRUE(CopyArt(folder.Path()));
    folder.Write("KVX.ini", "[Server]\r\n1=127.0.0.44\r\n[Window]\r\nx=400\r\ny=100\r\nh=350\r\n");
    HWND bar = Start();
    ASSERT_NE(nullptr, bar);

    Drag(bar, work.left + 5, 300);
    EXPECT_TRUE(DockedLeft(bar)) << Rect(bar).left << " " << Dock();
    Drag(bar, 500, 300);
    EXPECT_EQ(350, Rect(bar).bottom - Rect(bar).top) << "floating at its old height";
    EXPECT_EQ("0", Dock());

    Drag(bar, work.left + 5, 300);
    ASSERT_TRUE(DockedLeft(bar));
    MoveTo(bar, 159, 13); // Minimize/Hide
    Sleep(200);
    LeftDown();
    Sleep(100);
    LeftUp();
    EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(bar); }, 3000));
    EXPECT_EQ("0", Dock()) << "the strip is freed while hidden";
    HWND icon = FirstTrayIcon();
    ASSERT_NE(nullptr, icon);
    PostMessageA(icon, WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, 8));
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(bar) != FALSE; }, 3000)) << "the tray shows it again";
    EXPECT_TRUE(DockedLeft(bar)) << "at the edge it had";

    PostMessageA(bar, WM_CLOSE, 0, 0);
    DWORD code = 1;
    ASSERT_TRUE(client.WaitForExit(10000, &code));
    EXPECT_EQ("10", Dock());
    bar = Start();
    ASSERT_NE(nullptr, bar);
    EXPECT_TRUE(DockedLeft(bar)) << "docked again at start";
}

} // namespace

// The real client's life without a server: a first run, a second start, the tray bringing
// a hidden bar back, quitting with Escape, and the placement and dock edge saved at exit
// and used by the next start.
#include "menus/CommandIds.h"
#include "support/RealClient.h"
#include "support/TrayTip.h"
#include "support/Wait.h"

namespace {

using LifecycleTest = RealClientTest;

RECT Rect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

TEST_F(LifecycleTest, FirstRunSecondStartTrayEscapeAndThePlacementKeptForTheNextStart)
{
    ASSERT_NE(nullptr, Start()) << "a first run in an empty folder";
    for (const char* name : {"Ads", "Data", "Logs"}) EXPECT_TRUE(folder.IsFolder(name)) << name;
    EXPECT_FALSE(folder.Exists(DistFolder() + "\\Ads")) << "nothing is made beside the program";
    const RECT first = Rect(bar);
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT visible;
    EXPECT_EQ(199, first.right - first.left);
    EXPECT_TRUE(IntersectRect(&visible, &first, &screen)) << "on the screen";
    EXPECT_FALSE(GetWindowLongA(bar, GWL_STYLE) & WS_CAPTION);

    // A hidden bar in the background: a second start brings it forward and ends.
    HWND other =
        CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
    SetForegroundWindow(other);
    ShowWindow(bar, SW_HIDE);
    ClientProcess second;
    ASSERT_TRUE(second.Start(folder.Path()));
    DWORD code = 1;
    EXPECT_TRUE(second.WaitForExit(10000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(bar) && GetForegroundWindow() == bar; }, 3000));
    DestroyWindow(other);

    // Hidden again, a double click on the tray icon shows it.
    ShowWindow(bar, SW_HIDE);
    PostMessageA(FirstTrayIcon(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(8, 8));
    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(bar) != FALSE; }, 3000));

    // Escape asks; No keeps everything, Yes quits with code 0 and saves where the bar is.
    PostMessageA(bar, WM_KEYDOWN, VK_ESCAPE, 0);
    const SeenBox box = Box("KVX", 5000);
    EXPECT_EQ(bar, GetWindow(box.window, GW_OWNER));
    Answer("KVX", IDNO);
    EXPECT_EQ("Do you want to quit KVX?", box.text);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ((std::vector<int>{IDYES, IDNO}), box.buttons);
    EXPECT_FALSE(client.WaitForExit(1000, &code));
    EXPECT_EQ(std::string::npos, folder.Read("KVX.ini").find("\nx=")) << "no placement saved yet";
    SetWindowPos(bar, nullptr, 120, 80, 199, 350, SWP_NOZORDER | SWP_NOACTIVATE);
    PostMessageA(bar, WM_KEYDOWN, VK_ESCAPE, 0);
    Answer("KVX", IDYES);
    ASSERT_TRUE(client.WaitForExit(10000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_NE(std::string::npos, folder.Read("KVX.ini").find("x=120\r\ny=80\r\nh=350\r\nDock=0\r\n"))
        << folder.Read("KVX.ini");

    // The next start stands there; docked at exit, it keeps the edge and its floating height.
    ASSERT_NE(nullptr, Start());
    const RECT placed = Rect(bar);
    EXPECT_EQ(120, placed.left);
    EXPECT_EQ(80, placed.top);
    EXPECT_EQ(350, placed.bottom - placed.top);
    Choose(CMD_DOCK_LEFT);
    EXPECT_TRUE(Close());
    EXPECT_NE(std::string::npos, folder.Read("KVX.ini").find("h=350\r\nDock=10\r\n")) << folder.Read("KVX.ini");
    ASSERT_NE(nullptr, Start());
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    // Created where it was at exit, at its floating height, then docked over the full height.
    EXPECT_TRUE(WaitFor([&] { return Rect(bar).bottom - Rect(bar).top == work.bottom - work.top + 4; }, 3000));
    EXPECT_EQ(work.left - 4, Rect(bar).left) << "docked again at start";
}

} // namespace

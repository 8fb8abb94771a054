// Docking the bar under the real pointer: dragged into an edge zone it docks as an appbar
// over the work area's full height, dragged out it floats at its old height again; hiding
// frees the strip and showing docks again; a saved edge docks at start.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "app/Globals.h"
#include "doubles/Recorder.h"
#include "menus/CommandIds.h"
#include "BarFixture.h"
#include "support/Input.h"

namespace {

// Whether the shell holds `window` as an appbar: a second registration is refused.
bool Registered(HWND window)
{
    APPBARDATA data = {};
    data.cbSize = sizeof data;
    data.hWnd = window;
    if (!SHAppBarMessage(ABM_NEW, &data)) return true;
    SHAppBarMessage(ABM_REMOVE, &data);
    return false;
}

RECT WorkArea()
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

RECT WindowRect()
{
    RECT rect;
    GetWindowRect(g_hMainWnd, &rect);
    return rect;
}

class DockingTest : public BarFixture {
protected:
    DockingTest()
    {
        LeftUp();
        RightUp();
        Skin("HiDef");
    }
    void Start(const std::string& ini)
    {
        MakeBar(ini);
        Create(300, 400, 100);
        SetForegroundWindow(g_hMainWnd);
        Pump(100);
    }
    // Presses on the contact list (no hot region there), drags to the screen point and
    // releases there; the drag loop runs in the bar's handler on this thread meanwhile.
    void Drag(LONG x, LONG y)
    {
        MoveTo(g_hMainWnd, 60, 200);
        Pump(100);
        std::thread hand([=] {
            Sleep(150);
            MoveTo(x, y);
            Sleep(150);
            LeftUp();
        });
        LeftDown();
        Pump(600);
        hand.join();
        Pump(100);
    }
    std::string Dock() { return Setting("Dock="); }
    std::string Setting(const std::string& key)
    {
        const std::string ini = folder.Read("KVX.ini");
        const size_t at = ini.find(key);
        return at == std::string::npos ? "" : ini.substr(at + key.size(), ini.find("\r\n", at) - at - key.size());
    }
};

TEST_F(DockingTest, ADragIntoTheLeftZoneDocksAtFullHeightAndOutOfItFloatsAgain)
{
    Start("");
    const RECT work = WorkArea();
    Drag(work.left + 10, 300); // the zone's edge is inside it
    RECT rect = WindowRect();
    EXPECT_EQ(work.left - 4, rect.left);
    EXPECT_EQ(work.top - 4, rect.top);
    EXPECT_EQ(work.bottom - work.top + 4, rect.bottom - rect.top) << "the work area's full height";
    EXPECT_EQ(199, rect.right - rect.left);
    EXPECT_EQ("10", Dock());
    EXPECT_TRUE(Registered(g_hMainWnd));
    MINMAXINFO limits = {};
    SendMessageA(g_hMainWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
    EXPECT_EQ(rect.bottom - rect.top, limits.ptMaxTrackSize.y) << "a docked bar's height is held";

    Drag(500, 300);
    rect = WindowRect();
    EXPECT_EQ(300, rect.bottom - rect.top) << "the floating height it had before";
    EXPECT_EQ("0", Dock());
    EXPECT_FALSE(Registered(g_hMainWnd));

    Drag(work.right - 10, 300);
    EXPECT_EQ(work.right - 199 + 5, WindowRect().left);
    EXPECT_EQ("20", Dock());
}

TEST_F(DockingTest, HidingFreesTheStripAndShowingDocksAtTheSameEdge)
{
    Start("");
    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_DOCK_LEFT, 0);
    ASSERT_EQ("10", Dock());
    ShowWindow(g_hMainWnd, SW_HIDE);
    EXPECT_EQ("0", Dock());
    EXPECT_FALSE(Registered(g_hMainWnd));
    ShowWindow(g_hMainWnd, SW_SHOW);
    EXPECT_EQ("10", Dock());
    EXPECT_TRUE(Registered(g_hMainWnd));
    EXPECT_EQ(WorkArea().left - 4, WindowRect().left);

    RightDown();
    SendMessageA(g_hMainWnd, WM_RBUTTONDOWN, 0, MAKELPARAM(60, 200));
    RightUp();
    EXPECT_EQ("10", Dock()) << "the right button neither moves nor undocks";

    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_DOCK_OFF, 0);
    EXPECT_EQ("0", Dock());
    EXPECT_EQ(400, WindowRect().bottom - WindowRect().top) << "docked since start: the height 400";
    EXPECT_EQ(1, Recorder::Get().Count("WK_Center"));
}

TEST_F(DockingTest, ASavedEdgeDocksOnceTheStartTimerFiresAndAnyOtherValueFloats)
{
    // As the application does it: the window is shown, the saved edge taken, the bar made.
    MakeBar("");
    Show(300, 400, 100);
    bar->SetDockEdge(20);
    bar->OnCreate();
    Pump(200);
    EXPECT_EQ("20", Dock());
    EXPECT_TRUE(Registered(g_hMainWnd));
    EXPECT_EQ(WorkArea().right - 199 + 5, WindowRect().left);
    DeleteBar();
    EXPECT_EQ("20", Dock()) << "a docked bar at exit starts docked next time";
    DestroyWindow(g_hMainWnd);
    g_hMainWnd = nullptr;

    MakeBar("[Window]\r\nDock=15\r\n");
    Show(300, 400, 100);
    bar->SetDockEdge(15);
    bar->OnCreate();
    Pump(200);
    EXPECT_FALSE(Registered(g_hMainWnd)) << "an edited edge that is no edge means floating";
    EXPECT_EQ(400, WindowRect().left);
}

} // namespace

// Docking the bar under the real pointer: released in an edge zone (its edge included) it
// docks as an appbar over the work area's full height, released outside it floats at its
// old height again; hiding frees the strip and showing docks again; a saved edge docks at
// start.
#include <windows.h>
#include <shellapi.h>

#include <climits>
#include <thread>

#include "menus/CommandIds.h"
#include "BarFixture.h"
#include "support/Input.h"

namespace {

const LONG kFloating = LONG_MIN;

class DockingTest : public BarFixture {
protected:
    DockingTest()
    {
        LeftUp();
        RightUp();
        Skin("HiDef");
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    }
    // As the application starts: the window shown, the saved edge taken, the bar made.
    void Start(const std::string& ini, WORD savedEdge)
    {
        MakeBar(ini);
        Show(300, 400, 100);
        bar->SetDockEdge(savedEdge);
        bar->OnCreate();
        SetForegroundWindow(g_hMainWnd);
        Pump(200);
    }
    // Presses on the contact list (no hot region there), drags to the screen point and
    // releases there; the drag loop runs in the bar's handler on this thread meanwhile.
    POINT Drag(LONG x, LONG y)
    {
        POINT released = {};
        MoveTo(g_hMainWnd, 60, 200);
        Pump(100);
        std::thread hand([&] {
            Sleep(150);
            MoveTo(x, y);
            Sleep(150);
            GetCursorPos(&released);
            LeftUp();
        });
        LeftDown();
        Pump(500);
        hand.join();
        Pump(100);
        return released;
    }
    RECT Rect() const
    {
        RECT rect;
        GetWindowRect(g_hMainWnd, &rect);
        return rect;
    }
    // Whether the shell holds the bar as an appbar: a second registration is refused.
    static bool Registered()
    {
        APPBARDATA data = {sizeof data, g_hMainWnd, 0, 0, {}, 0};
        if (!SHAppBarMessage(ABM_NEW, &data)) return true;
        SHAppBarMessage(ABM_REMOVE, &data);
        return false;
    }

    RECT work = {};
};

TEST_F(DockingTest, AReleaseInAnEdgeZoneDocksAtFullHeightAndOutsideItFloatsAtTheOldHeight)
{
    Start("", 0);
    const LONG docked = work.bottom - work.top + 4;
    const struct {
        LONG x;
        const char* dock;
        LONG left, height;
    } rows[] = {{work.left + 10, "10", work.left - 4, docked},
                {work.left + 11, "0", kFloating, 300},
                {work.right - 10, "20", work.right - 199 + 5, docked},
                {work.right - 11, "0", kFloating, 300}};
    for (const auto& row : rows) {
        SCOPED_TRACE("released at " + std::to_string(row.x));
        ASSERT_EQ(row.x, Drag(row.x, 300).x) << "the pointer lands where it is sent";
        EXPECT_EQ(row.dock, Setting("Dock"));
        EXPECT_EQ(row.height, Rect().bottom - Rect().top);
        EXPECT_TRUE(row.left == kFloating || row.left == Rect().left);
        EXPECT_EQ(row.dock[0] != '0', Registered());
        MINMAXINFO limits = {};
        SendMessageA(g_hMainWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        EXPECT_TRUE(row.dock[0] == '0' || limits.ptMaxTrackSize.y == docked) << "a docked bar's height is held";
    }
}

TEST_F(DockingTest, HidingFreesTheStripShowingDocksAgainAndTheRightButtonNeverUndocks)
{
    Start("", 10);
    EXPECT_EQ("10", Setting("Dock")) << "the saved edge, once the start timer fired";
    ShowWindow(g_hMainWnd, SW_HIDE);
    EXPECT_TRUE(Setting("Dock") == "0" && !Registered());
    ShowWindow(g_hMainWnd, SW_SHOW);
    EXPECT_TRUE(Setting("Dock") == "10" && Registered() && Rect().left == work.left - 4);
    RightDown();
    SendMessageA(g_hMainWnd, WM_RBUTTONDOWN, 0, MAKELPARAM(60, 200));
    RightUp();
    EXPECT_EQ("10", Setting("Dock")) << "the right button neither moves nor undocks";
    MoveTo(g_hMainWnd, 60, 200); // no hot region under the pointer, so Off centres the bar
    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_DOCK_OFF, 0);
    EXPECT_EQ("0", Setting("Dock"));
    EXPECT_EQ(400, Rect().bottom - Rect().top) << "docked since start: the height 400";
    EXPECT_EQ(1, Recorder::Get().Count("WK_Center"));
    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_DOCK_RIGHT, 0);
    DeleteBar();
    EXPECT_EQ("20", Setting("Dock")) << "a docked bar at exit starts docked next time";
    Start("[Window]\r\nDock=15\r\n", 15);
    EXPECT_FALSE(Registered()) << "an edited edge that is no edge means floating";
    EXPECT_EQ(400, Rect().left);
}

} // namespace

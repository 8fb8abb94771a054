// Docking the bar under the real pointer: released in an edge zone (its edge included) it
// docks as an appbar over the work area's full height, released outside it floats at its
// old height again; hiding frees the strip and showing docks again; a saved edge docks at
// start.
#include <windows.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <thread>

#include "app/Globals.h"
#include "doubles/Recorder.h"
#include "menus/CommandIds.h"
#include "BarFixture.h"
#include "support/Input.h"

namespace {

const LONG kFloating = LONG_MIN;

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
    void Start(const std::string& ini, WORD savedEdge = 0)
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
    void Drag(LONG x, LONG y)
    {
        MoveTo(g_hMainWnd, 60, 200);
        Pump(100);
        std::thread hand([=] {
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
    }
    std::string Dock()
    {
        const std::string ini = folder.Read("KVX.ini");
        const size_t at = ini.find("Dock=");
        return at == std::string::npos ? "" : ini.substr(at + 5, ini.find("\r\n", at) - at - 5);
    }
    RECT Rect() const
    {
        RECT rect;
        GetWindowRect(g_hMainWnd, &rect);
        return rect;
    }
    LONG Height() const { return Rect().bottom - Rect().top; }

    RECT work = {};
    POINT released = {};
};

TEST_F(DockingTest, AReleaseInAnEdgeZoneDocksAtFullHeightAndOutsideItFloatsAtTheOldHeight)
{
    Start("");
    const LONG docked = work.bottom - work.top + 4;
    const struct {
        LONG x;
        const char* dock;
        LONG left, height; // kFloating: where the pointer left it
    } rows[] = {
        {work.left + 10, "10", work.left - 4, docked},
        {work.left + 11, "0", kFloating, 300},
        {work.right - 10, "20", work.right - 199 + 5, docked},
        {work.right - 11, "0", kFloating, 300},
    };
    for (const auto& row : rows) {
        Drag(row.x, 300);
        ASSERT_EQ(row.x, released.x) << "the pointer lands where it is sent";
        EXPECT_EQ(row.dock, Dock()) << "released at " << row.x;
        EXPECT_EQ(row.height, Height()) << "released at " << row.x;
        if (row.left != kFloating) {
            EXPECT_EQ(row.left, Rect().left) << "released at " << row.x;
        }
        EXPECT_EQ(row.dock[0] != '0', Registered(g_hMainWnd)) << "released at " << row.x;
        MINMAXINFO limits = {};
        SendMessageA(g_hMainWnd, WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&limits));
        if (row.dock[0] != '0') {
            EXPECT_EQ(docked, limits.ptMaxTrackSize.y) << "a docked bar's height is held";
        }
    }
}

TEST_F(DockingTest, HidingFreesTheStripShowingDocksAgainAndTheRightButtonNeverUndocks)
{
    Start("", 10);
    EXPECT_EQ("10", Dock()) << "the saved edge, once the start timer fired";
    ShowWindow(g_hMainWnd, SW_HIDE);
    EXPECT_EQ("0", Dock());
    EXPECT_FALSE(Registered(g_hMainWnd));
    ShowWindow(g_hMainWnd, SW_SHOW);
    EXPECT_EQ("10", Dock());
    EXPECT_TRUE(Registered(g_hMainWnd));
    EXPECT_EQ(work.left - 4, Rect().left);

    RightDown();
    SendMessageA(g_hMainWnd, WM_RBUTTONDOWN, 0, MAKELPARAM(60, 200));
    RightUp();
    EXPECT_EQ("10", Dock()) << "the right button neither moves nor undocks";
    MoveTo(g_hMainWnd, 60, 200); // no hot region under the pointer, so Off centres the bar
    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_DOCK_OFF, 0);
    EXPECT_EQ("0", Dock());
    EXPECT_EQ(400, Height()) << "docked since start: the height 400";
    EXPECT_EQ(1, Recorder::Get().Count("WK_Center"));
    SendMessageA(g_hMainWnd, WM_COMMAND, CMD_DOCK_RIGHT, 0);
    DeleteBar();
    EXPECT_EQ("20", Dock()) << "a docked bar at exit starts docked next time";

    Start("[Window]\r\nDock=15\r\n", 15);
    EXPECT_FALSE(Registered(g_hMainWnd)) << "an edited edge that is no edge means floating";
    EXPECT_EQ(400, Rect().left);
}

} // namespace

// Hot regions and the bar under the real pointer: SendInput moves and presses it; the
// regions follow it with inclusive edges, outline themselves, act on the release, scroll
// while held and show balloons.
#include <atomic>
#include <thread>

#include "bar/HotRegion.h"
#include "menus/CommandIds.h"
#include "BarFixture.h"
#include "support/Input.h"
#include "support/Wait.h"

namespace {

// In a 300-pixel bar with a 60-pixel bottom piece.
const POINT kExit = {181, 13}, kHide = {159, 13}, kScrollDown = {176, 247};
const RECT kExitTopEdge = {177, 6, 186, 7}, kHideTopEdge = {155, 6, 164, 7};

class PointerTest : public BarFixture {
protected:
    PointerTest()
    {
        LeftUp();
        RightUp();
        GetAsyncKeyState(VK_LBUTTON); // forget any press since the last query
        Skin("HiDef");
        MakeBar("");
        Create(300);
        SetForegroundWindow(g_hMainWnd);
        SetFocus(g_hMainWnd);
        Pump(100);
    }
    void Point(POINT at, DWORD settleMs = 150)
    {
        MoveTo(g_hMainWnd, at.x, at.y);
        Pump(settleMs);
    }
    std::string LastCall(const std::string& name) const
    {
        const std::vector<std::string>& calls = Recorder::Get().Calls();
        for (auto call = calls.rbegin(); call != calls.rend(); ++call)
            if (call->rfind(name + "(", 0) == 0) return *call;
        return "";
    }
};

// A window of 199 x 300 that keeps the command it was sent and its rectangle.
UINT g_command = 0;
RECT g_commandRect = {};

TEST(HotRegionTest, EdgesAreInsideAnchoredRegionsMoveWithTheHeightAndActivatingActs)
{
    WNDCLASSA wc = {};
    wc.lpfnWndProc = [](HWND window, UINT message, WPARAM wParam, LPARAM lParam) -> LRESULT {
        if (message != WM_COMMAND) return DefWindowProcA(window, message, wParam, lParam);
        g_command = LOWORD(wParam);
        g_commandRect = *reinterpret_cast<const RECT*>(lParam);
        return 0;
    };
    wc.lpszClassName = "KVXHotRegionTest";
    RegisterClassA(&wc);
    HWND owner = CreateWindowExA(WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 40, 40, 199, 300,
                                 nullptr, nullptr, nullptr, nullptr);
    LeftUp();
    GetAsyncKeyState(VK_LBUTTON); // forget any press since the last query
    CHotRegion exit(owner, {173, 6, 189, 21}, CMD_EXIT, 0);
    CHotRegion menu(owner, {12, 29, 63, 48}, CMD_MAIN_MENU, 60); // the bottom piece starts at 240
    const struct {
        CHotRegion& region;
        LONG x, y;
        bool inside;
    } rows[] = {{exit, 173, 6, true},  {exit, 189, 21, true},  {exit, 172, 10, false}, {exit, 190, 10, false},
                {exit, 180, 5, false}, {exit, 180, 22, false}, {menu, 20, 40, false},  {menu, 20, 268, false},
                {menu, 12, 269, true}, {menu, 63, 288, true},  {menu, 20, 289, false}};
    RECT update;
    for (const auto& row : rows) {
        ValidateRect(owner, nullptr);
        const bool was = row.region.IsHovered();
        EXPECT_EQ(row.inside, row.region.Track(row.x, row.y)) << row.x << ", " << row.y;
        EXPECT_EQ(row.inside, row.region.IsHovered());
        EXPECT_EQ(was != row.inside, GetUpdateRect(owner, &update, FALSE) != FALSE)
            << "a change repaints, only a change";
    }
    LeftDown();
    EXPECT_TRUE(exit.Track(173, 6) && exit.IsPressed() && !exit.IsHovered()) << "pressed, one look at a time";
    LeftUp();
    GetAsyncKeyState(VK_LBUTTON);
    EXPECT_TRUE(exit.Track(173, 6) && exit.IsHovered() && !exit.IsPressed());
    SetWindowPos(owner, nullptr, 0, 0, 199, 400, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(menu.Track(20, 369)) << "a taller bar moves the anchored regions down";
    menu.Activate();
    EXPECT_EQ(UINT(CMD_MAIN_MENU), g_command);
    EXPECT_EQ(388, g_commandRect.bottom) << "the rectangle as last tracked";
    CHotRegion(owner, {151, 6, 168, 21}, CMD_HIDE, 0).Activate();
    EXPECT_FALSE(IsWindowVisible(owner));
    DestroyWindow(owner);
}

TEST_F(PointerTest, TheRegionUnderThePointerIsOutlinedWhileTheBarHasTheFocusAndABalloonFollowsARest)
{
    ASSERT_TRUE(bar->IsActive());
    Point(kExit, 900);
    EXPECT_TRUE(Shows(kExitTopEdge, kGrey)) << "dotted grey over Exit";
    EXPECT_EQ("WK_ShowBalloon(\"Exit\")", LastCall("WK_ShowBalloon"))
        << "after 500 ms of rest, the string table's text";
    HWND balloon = FindWindowA("STATIC", "Exit");
    Point(kHide);
    EXPECT_FALSE(IsWindow(balloon)) << "a move removes the balloon";
    EXPECT_TRUE(Shows(kHideTopEdge, kGrey)) << "the outline follows the pointer";
    EXPECT_FALSE(Shows(kExitTopEdge, kGrey));
    SendMessageA(g_hMainWnd, WM_KILLFOCUS, 0, 0);
    Pump(100);
    EXPECT_FALSE(Shows(kHideTopEdge, kGrey)) << "a bar without the focus outlines nothing";
    EXPECT_EQ("RL_Hilight(0, 0, 12, 124, 167, 257)", LastCall("RL_Hilight")) << "nor highlights a contact";
    const int tracked = Recorder::Get().Count("RL_Hilight");
    SendMessageA(g_hMainWnd, WM_MOUSEMOVE, 0, MAKELPARAM(50, 60));
    SendMessageA(g_hMainWnd, WM_MOUSEMOVE, 0, MAKELPARAM(50, 60));
    EXPECT_EQ(tracked + 1, Recorder::Get().Count("RL_Hilight")) << "a move to the same place changes nothing";
}

TEST_F(PointerTest, ExitActsAtTheReleaseScrollingWhileHeldAndTheRightButtonNeverAndTheBannerOpensItsAd)
{
    // Held for 600 ms and released from another thread: red meanwhile, quit only at the release.
    const auto hold = [&](POINT at, bool* red) {
        Point(at);
        std::atomic<bool> released{false};
        std::thread hand([&] {
            Sleep(300);
            *red = Shows(kExitTopEdge, kRed);
            Sleep(300);
            released = true;
            LeftUp();
        });
        LeftDown();
        int quit = 0; // 1: at the release, 2: before it
        for (const DWORD end = GetTickCount() + 1600; !quit && GetTickCount() < end;)
            if (!Pump(10)) quit = released ? 1 : 2;
        hand.join();
        return quit;
    };
    bool red = false;
    EXPECT_EQ(1, hold(kExit, &red)) << "Exit quits at the release, not at the press";
    EXPECT_TRUE(red) << "solid red while pressed";
    EXPECT_EQ(0, hold(kScrollDown, &red));
    const int scrolled = Recorder::Get().Count("RL_Down");
    EXPECT_GT(scrolled, 10) << "once per pass while held";
    for (const POINT at : {kScrollDown, kExit}) {
        Point(at);
        RightDown();
        Pump(150);
        RightUp();
        EXPECT_TRUE(Pump(150)) << "a right press neither acts";
    }
    EXPECT_EQ(scrolled, Recorder::Get().Count("RL_Down")) << "nor scrolls; nor does the release's own command";

    // A click on the banner opens the ad's address, here a batch file the shell runs.
    folder.Write("open.bat", "@echo opened>\"" + folder.File("opened.txt") + "\"\r\n");
    CreateDirectoryA("ads", nullptr);
    folder.Write("ads\\ad000.ad", SolidBmp(176, 48, kRed));
    folder.Write("ads\\ad000.adi", AdInfoBytes("", folder.File("open.bat").c_str()));
    SendMessageA(g_hMainWnd, WM_TIMER, 20, 0);
    Point({40, 50}); // the press finds the hotspot under the pointer; the release acts on it
    SendMessageA(g_hMainWnd, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 50));
    SendMessageA(g_hMainWnd, WM_LBUTTONUP, 0, MAKELPARAM(40, 50));
    EXPECT_TRUE(WaitFor([&] { return folder.Exists("opened.txt"); }, 10000));
    EXPECT_TRUE(IsWindowVisible(g_hMainWnd)) << "and no command";
}

} // namespace

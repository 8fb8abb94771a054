// The notification-area icon of a real bar: its tooltip follows the status, a pending
// contact-list event blinks it, and the status icon comes back once the event is taken.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/Globals.h"
#include "doubles/Recorder.h"
#include "menus/CommandIds.h"
#include "session/Session.h"
#include "BarFixture.h"
#include "support/TrayTip.h"
#include "support/Wait.h"

namespace {

class TrayTest : public BarFixture {
protected:
    bool TipShows(const std::string& tip)
    {
        return WaitFor([&] {
            const std::vector<std::string> tips = TrayTips();
            return std::find(tips.begin(), tips.end(), tip) != tips.end();
        }, 3000);
    }
    // The icons the tray was given, in order.
    static std::vector<std::string> Icons()
    {
        std::vector<std::string> icons;
        for (const std::string& call : Recorder::Get().Calls())
            if (call.rfind("AR_Image(", 0) == 0) icons.push_back(call.substr(10, call.find('"', 10) - 10));
        return icons;
    }
    void Tick() { SendMessageA(g_hMainWnd, WM_TIMER, 60, 0); }
};

TEST_F(TrayTest, TheTipFollowsTheStatusAndAPendingEventBlinksUntilItIsTaken)
{
    MakeBar("[User]\r\nID=4242\r\n");
    Create(300);
    bar->Session()->SetStatus(300);
    EXPECT_TRUE(TipShows("KVX (Online) [4242]"));
    bar->Session()->SetStatus(610);
    EXPECT_TRUE(TipShows("KVX (Unreal) [4242]"));

    Recorder::Get().Reset();
    Recorder::Get().Script().eventPending = TRUE;
    for (int i = 0; i < 4; ++i) Tick();
    EXPECT_EQ((std::vector<std::string>{"Blank", "Msg", "Blank", "Msg"}), Icons());
    EXPECT_TRUE(TipShows("KVX Message from 10001"));

    Recorder::Get().Script().eventPending = FALSE;
    Tick();
    Tick();
    EXPECT_EQ((std::vector<std::string>{"Blank", "Msg", "Blank", "Msg", "Unreal"}), Icons())
        << "the status icon comes back at the next tick, once";
    EXPECT_TRUE(TipShows("KVX (Unreal) [4242]"));
}

TEST_F(TrayTest, TheLastTipAndTheRemovalReachTheIconAfterShutdownLetsGoOfTheWindow)
{
    MakeBar("[User]\r\nID=4242\r\n");
    Create(300);
    bar->Session()->SetStatus(300);
    ASSERT_TRUE(TipShows("KVX (Online) [4242]"));
    // As at shutdown; the window itself lives on, so only the client's calls change the icon.
    const HWND window = g_hMainWnd;
    g_hMainWnd = nullptr;
    bar->Session()->SetStatus(CMD_OFFLINE);
    EXPECT_TRUE(TipShows("KVX (Offline)"));
    DeleteBar();
    EXPECT_TRUE(WaitFor([] {
        const std::vector<std::string> tips = TrayTips();
        return std::none_of(tips.begin(), tips.end(), [](const std::string& tip) { return tip.rfind("KVX", 0) == 0; });
    }, 3000)) << "the icon is gone";
    EXPECT_TRUE(IsWindow(window));
    g_hMainWnd = window;
}

} // namespace

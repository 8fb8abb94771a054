// The notification-area icon of a real bar: its tooltip follows the status, a pending
// contact-list event blinks it, and the status icon comes back once the event is taken.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/Globals.h"
#include "doubles/Recorder.h"
#include "session/Session.h"
#include "BarFixture.h"
#include "support/TrayTip.h"

namespace {

using TrayTest = BarFixture;

// The icons the tray was given, in order.
std::vector<std::string> Icons()
{
    std::vector<std::string> icons;
    for (const std::string& call : Recorder::Get().Calls())
        if (call.rfind("AR_Image(", 0) == 0) icons.push_back(call.substr(10, call.find('"', 10) - 10));
    return icons;
}

TEST_F(TrayTest, TheTipFollowsTheStatusAndAPendingEventBlinksUntilItIsTaken)
{
    MakeBar("[User]\r\nID=4242\r\n");
    Create(300);
    EXPECT_TRUE(TrayTipShows("KVX (Connecting)", 3000)) << "no account number before the login";
    bar->Session()->SetStatus(300);
    EXPECT_TRUE(TrayTipShows("KVX (Online) [4242]", 3000));
    bar->Session()->SetStatus(610);
    EXPECT_TRUE(TrayTipShows("KVX (Unreal) [4242]", 3000));

    const auto tick = [] { SendMessageA(g_hMainWnd, WM_TIMER, 60, 0); };
    Recorder::Get().Reset();
    Recorder::Get().Script().eventPending = TRUE;
    for (int i = 0; i < 4; ++i) tick();
    EXPECT_EQ((std::vector<std::string>{"Blank", "Msg", "Blank", "Msg"}), Icons());
    EXPECT_TRUE(TrayTipShows("KVX Message from 10001", 3000));
    Recorder::Get().Script().eventPending = FALSE;
    tick();
    tick();
    EXPECT_EQ((std::vector<std::string>{"Blank", "Msg", "Blank", "Msg", "Unreal"}), Icons())
        << "the status icon comes back at the next tick, once";
    EXPECT_TRUE(TrayTipShows("KVX (Unreal) [4242]", 3000));
}

} // namespace

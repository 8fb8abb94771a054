// Starting the real client: first run in an empty folder, and the single running copy.
#include <gtest/gtest.h>

#include "support/ClientProcess.h"
#include "support/ScratchFolder.h"
#include "support/Wait.h"

namespace {

// A visible window of the test's own, to take the foreground away from the bar.
class OtherWindow {
public:
    OtherWindow()
    {
        m_window = CreateWindowExA(0, "STATIC", "other", WS_POPUP | WS_VISIBLE, 0, 0, 100, 100,
                                   nullptr, nullptr, nullptr, nullptr);
    }
    ~OtherWindow() { DestroyWindow(m_window); }
    void TakeForeground() { SetForegroundWindow(m_window); }
    HWND Handle() const { return m_window; }

private:
    HWND m_window;
};

TEST(Startup, FirstRunMakesItsFoldersInTheCurrentFolderAndShowsTheBar)
{
    ScratchFolder folder("first-run");
    ClientProcess client;
    ASSERT_TRUE(client.Start(folder.Path()));
    HWND bar = client.WaitForBar();
    ASSERT_NE(nullptr, bar);

    for (const char* name : {"Ads", "Data", "Logs"}) EXPECT_TRUE(folder.IsFolder(name)) << name;
    EXPECT_FALSE(folder.Exists(DistFolder() + "\\Ads")) << "nothing is made beside the program";

    RECT rc;
    ASSERT_TRUE(GetWindowRect(bar, &rc));
    EXPECT_EQ(199, rc.right - rc.left);
    EXPECT_GT(rc.bottom - rc.top, 100);
    const RECT screen = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
    RECT visible;
    EXPECT_TRUE(IntersectRect(&visible, &rc, &screen)) << "a first run lands on the screen";
    EXPECT_FALSE(GetWindowLongA(bar, GWL_STYLE) & WS_CAPTION) << "borderless";
}

TEST(Startup, ASecondStartBringsTheRunningBarForwardAndEnds)
{
    ScratchFolder folder("second-start");
    ClientProcess first;
    ASSERT_TRUE(first.Start(folder.Path()));
    HWND bar = first.WaitForBar();
    ASSERT_NE(nullptr, bar);

    OtherWindow other;
    other.TakeForeground();
    ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == other.Handle(); }, 3000));
    ShowWindow(bar, SW_HIDE);
    ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(bar); }, 3000));

    ClientProcess second;
    ASSERT_TRUE(second.Start(folder.Path()));
    DWORD code = 1234;
    ASSERT_TRUE(second.WaitForExit(10000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_EQ(0, CountWindows(second.Pid(), "KVX1"));

    EXPECT_TRUE(WaitFor([&] { return IsWindowVisible(bar) != FALSE; }, 3000)) << "the hidden bar is shown";
    EXPECT_TRUE(WaitFor([&] { return GetForegroundWindow() == bar; }, 3000)) << "and brought to the front";
    EXPECT_TRUE(first.IsRunning());
}

} // namespace

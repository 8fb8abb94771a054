// Information windows as the session opens them from the GUI thread, which keeps running its
// own loop: measured, painted and closed the way a user closes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <vector>

#include "support/Wait.h"
#include "support/WindowDriver.h"
#include "winkit/winkit.h"

namespace {

HWND Open(const char* title, const std::string& text, HICON icon = nullptr)
{
    WK_Info(title, text.c_str(), icon);
    return WaitForWindow("KVXInfo", title);
}

RECT Rect(HWND window, BOOL(WINAPI* get)(HWND, LPRECT) = GetWindowRect)
{
    RECT rect = {};
    get(window, &rect);
    return rect;
}

class InfoWindowTest : public ::testing::Test {
protected:
    ~InfoWindowTest() override { CloseWindows("KVXInfo"); }
};

// The session hands over 16 x 16 icons it may free at once, and the bar may be always on top.
TEST_F(InfoWindowTest, EachIsSizedToItsWrappedTextAndIconDrawnAtItsOwnSizeAndStaysOnTheScreenAboveTheBar)
{
    std::string words;
    for (int i = 0; i < 700; ++i) words += "Server maintenance tonight. ";
    HWND one = Open("One line", "Hi.");
    EXPECT_EQ(GetDlgItem(one, IDOK), GetFocus()) << "Enter and Escape go to OK";
    const std::vector<DWORD> red(16 * 16, 0xFFFF0000);
    const std::vector<WORD> opaque(16, 0);
    ICONINFO info = {TRUE, 0, 0, CreateBitmap(16, 16, 1, 1, opaque.data()), CreateBitmap(16, 16, 1, 32, red.data())};
    HICON icon = CreateIconIndirect(&info);
    HWND iconed = Open("Icon", words.substr(0, 560), icon);
    DestroyIcon(icon);
    const RECT oneLine = Rect(one, GetClientRect), fiveLines = Rect(Open("Five", "1\n2\n3\n4\n5"), GetClientRect);
    const RECT wrapped = Rect(Open("Wrapped", words.substr(0, 560)), GetClientRect),
               client = Rect(iconed, GetClientRect);
    EXPECT_GT(fiveLines.bottom, oneLine.bottom + 3 * 10) << "each line adds height";
    EXPECT_TRUE(wrapped.bottom > oneLine.bottom && wrapped.right < 600) << "a long text wraps at a readable width";
    EXPECT_TRUE(client.right - wrapped.right >= 16 && client.bottom == wrapped.bottom) << "icon beside";
    EXPECT_TRUE(GetWindowLongA(iconed, GWL_EXSTYLE) & WS_EX_TOPMOST);
    RedrawWindow(iconed, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT drawn = {client.right, client.bottom, -1, -1};
    int textLeft = client.right;
    HDC dc = GetDC(iconed);
    for (int y = 0; y < client.bottom; ++y)
        for (int x = 0; x < client.right; ++x) {
            const COLORREF pixel = GetPixel(dc, x, y);
            if (pixel == GetSysColor(COLOR_BTNTEXT)) textLeft = std::min(textLeft, x);
            if (pixel == RGB(255, 0, 0))
                drawn = {std::min<LONG>(drawn.left, x), std::min<LONG>(drawn.top, y), x + 1, y + 1};
        }
    ReleaseDC(iconed, dc);
    EXPECT_TRUE(drawn.right - drawn.left == 16 && drawn.bottom - drawn.top == 16 && drawn.right < textLeft)
        << drawn.right;
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    for (HWND w : {Open("One long word", std::string(600, 'W')), Open("Huge", words)}) {
        RECT in, ok = Rect(GetDlgItem(w, IDOK));
        EXPECT_TRUE(IntersectRect(&in, &ok, &work) && EqualRect(&in, &ok)) << "OK stays on the screen";
    }
    WK_Info(nullptr, nullptr, nullptr); // null title and text are allowed
}

TEST_F(InfoWindowTest, UpToSixteenStayOpenCascadedAndEachClosesByEnterEscapeOrItsCloseBox)
{
    std::vector<HWND> windows;
    for (int i = 0; i < WK_MAX_INFO; ++i) windows.push_back(Open(std::to_string(i).c_str(), "Several at once."));
    EXPECT_TRUE(windows.back() && Rect(windows[0]).left != Rect(windows[1]).left) << "the sixteenth, cascaded";
    EXPECT_EQ(nullptr, WK_Info("Flood", "One too many.", nullptr)) << "not the seventeenth";
    const std::function<void(HWND)> closers[] = {
        [](HWND) {
            keybd_event(VK_ESCAPE, 0, 0, 0), keybd_event(VK_ESCAPE, 0, KEYEVENTF_KEYUP, 0);
        }, // to the active one
        [](HWND w) {
            SetForegroundWindow(w);
            WaitFor([] { return false; }, 50); // the activation is seen before the key
            keybd_event(VK_RETURN, 0, 0, 0), keybd_event(VK_RETURN, 0, KEYEVENTF_KEYUP, 0);
        },
        [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); }};
    for (const auto& close : closers) {
        const HWND last = windows.back();
        windows.pop_back();
        close(last);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(last); }, 3000) && IsWindowVisible(windows.back()))
            << "that one only";
    }
}

} // namespace

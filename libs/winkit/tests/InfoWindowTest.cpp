// Information windows as the session opens them from the GUI thread, which keeps running its
// own loop: measured, painted and closed the way a user closes them.
#include <gtest/gtest.h>

#include <limits.h>

#include <string>
#include <vector>

#include "support/Wait.h"
#include "winkit/winkit.h"

namespace {

HWND Find(const char* title)
{
    HWND window = nullptr;
    WaitFor([&] { return (window = FindWindowA("KVXInfo", title)) != nullptr; }, 1000, 10);
    return window;
}

HWND Open(const char* title, const char* text, HICON icon = nullptr)
{
    WK_Info(title, text, icon);
    return Find(title);
}

RECT Rect(HWND window, bool client = false)
{
    RECT rect = {};
    if (client) GetClientRect(window, &rect);
    else GetWindowRect(window, &rect);
    return rect;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right && inner.bottom <= outer.bottom;
}

std::string Words(int count)
{
    std::string text;
    while (count-- > 0) text += "Server maintenance tonight. ";
    return text;
}

class InfoWindowTest : public ::testing::Test {
protected:
    ~InfoWindowTest() override
    {
        while (HWND w = FindWindowA("KVXInfo", nullptr)) DestroyWindow(w);
    }
};

TEST_F(InfoWindowTest, EachIsSizedToItsWrappedTextAndIconAndStaysOnTheScreen)
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    HICON icon = LoadIconA(nullptr, IDI_INFORMATION);
    HWND one = Open("One line", "Hi.");
    EXPECT_EQ(GetDlgItem(one, IDOK), GetFocus()) << "Enter and Escape go to OK";
    HWND five = Open("Five lines", "one\ntwo\nthree\nfour\nfive");
    HWND wrapped = Open("Wrapped", Words(20).c_str());
    HWND iconed = Open("Wrapped beside an icon", Words(20).c_str(), icon);
    ASSERT_TRUE(one && five && wrapped && iconed);
    EXPECT_GT(Rect(five, true).bottom, Rect(one, true).bottom + 3 * 10) << "each line adds height";
    EXPECT_GT(Rect(wrapped, true).bottom, Rect(one, true).bottom) << "a long text wraps onto more lines";
    EXPECT_LT(Rect(wrapped, true).right, 600) << "at a readable width";
    EXPECT_GE(Rect(iconed, true).right - Rect(wrapped, true).right, GetSystemMetrics(SM_CXICON)) << "the icon beside";
    EXPECT_EQ(Rect(iconed, true).bottom, Rect(wrapped, true).bottom);
    EXPECT_EQ(nullptr, GetParent(one));
    for (HWND w : {Open("One long word", std::string(600, 'W').c_str()), Open("Huge", Words(700).c_str()), one}) {
        EXPECT_TRUE(Inside(Rect(w), work));
        EXPECT_TRUE(Inside(Rect(GetDlgItem(w, IDOK)), Rect(w))) << "OK stays reachable";
    }
    WK_Info(nullptr, nullptr, nullptr); // null title and text are allowed
}

// A 16 x 16 icon of one colour, as the icon library hands them out.
HICON SolidIcon(COLORREF colour)
{
    std::vector<DWORD> pixels(16 * 16, 0xFF000000 | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour));
    HBITMAP colourBits = CreateBitmap(16, 16, 1, 32, pixels.data());
    const std::vector<WORD> opaque(16, 0);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, opaque.data());
    ICONINFO info = {TRUE, 0, 0, mask, colourBits};
    HICON icon = CreateIconIndirect(&info);
    DeleteObject(mask);
    DeleteObject(colourBits);
    return icon;
}

// The bar may be always on top and the session hands over 16 x 16 icons it may free at once.
TEST_F(InfoWindowTest, TheIconIsDrawnAtItsOwnSizeAboveAnAlwaysOnTopWindowAfterTheCallerFreedIt)
{
    WNDCLASSA wc = {}; // not a static control: those are transparent to hit-testing
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "KVXOnTop";
    RegisterClassA(&wc);
    HWND onTop = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, 0, 0,
                                 GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN), nullptr, nullptr, nullptr, nullptr);
    HICON icon = SolidIcon(RGB(255, 0, 0));
    WK_Info("Icon", "Text beside the icon.", icon);
    DestroyIcon(icon);
    HWND window = Find("Icon");
    ASSERT_TRUE(window != nullptr);
    const RECT rc = Rect(window);
    EXPECT_EQ(window, GetAncestor(WindowFromPoint({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2}), GA_ROOT));
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    RECT red = {INT_MAX, INT_MAX, -1, -1};
    int textLeft = INT_MAX;
    HDC dc = GetDC(window);
    for (int y = 0; y < Rect(window, true).bottom; ++y)
        for (int x = 0; x < Rect(window, true).right; ++x) {
            const COLORREF pixel = GetPixel(dc, x, y);
            if (pixel == GetSysColor(COLOR_BTNTEXT) && x < textLeft) textLeft = x;
            if (pixel != RGB(255, 0, 0)) continue;
            red = {std::min<LONG>(red.left, x), std::min<LONG>(red.top, y), std::max<LONG>(red.right, x + 1), std::max<LONG>(red.bottom, y + 1)};
        }
    ReleaseDC(window, dc);
    EXPECT_EQ(16, red.right - red.left);
    EXPECT_EQ(16, red.bottom - red.top);
    EXPECT_LT(red.right, textLeft) << "left of the text";
    DestroyWindow(onTop);
}

void Press(WORD key)
{
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}

TEST_F(InfoWindowTest, UpToSixteenStayOpenCascadedAndEachClosesByOkEnterEscapeOrItsCloseBox)
{
    std::vector<HWND> windows;
    for (int i = 0; i < WK_MAX_INFO; ++i) windows.push_back(Open(("Info " + std::to_string(i)).c_str(), "Several at once."));
    EXPECT_NE(Rect(windows[0]).left, Rect(windows[1]).left) << "a later one does not hide an earlier one";
    EXPECT_NE(nullptr, windows.back()) << "the sixteenth opens";
    EXPECT_EQ(nullptr, WK_Info("Flood", "One too many.", nullptr)) << "the seventeenth does not";
    EXPECT_EQ(nullptr, FindWindowA("KVXInfo", "Flood"));
    const std::function<void(HWND)> closers[] = {
        [](HWND) { Press(VK_ESCAPE); }, // keys go to the active window, the one opened last
        [](HWND w) { SetForegroundWindow(w), WaitFor([] { return false; }, 50), Press(VK_RETURN); },
        [](HWND w) { PostMessageA(w, WM_SYSCOMMAND, SC_CLOSE, 0); },
        [](HWND w) { PostMessageA(GetDlgItem(w, IDOK), BM_CLICK, 0, 0); },
    };
    for (const auto& close : closers) {
        HWND last = windows.back();
        windows.pop_back();
        close(last);
        EXPECT_TRUE(WaitFor([&] { return !IsWindow(last); }, 3000));
        EXPECT_TRUE(IsWindowVisible(windows.back())) << "the others stay";
    }
}

} // namespace

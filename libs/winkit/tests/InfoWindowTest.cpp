// Information windows as the session uses them: opened from the GUI thread, which keeps
// running its own loop, then found, measured and closed the way a user or a test closes them.
#include <gtest/gtest.h>

#include <limits.h>

#include <string>
#include <vector>

#include "winkit/winkit.h"

namespace {

const char kClass[] = "KVXInfo";

void Pump(DWORD ms)
{
    const DWORD end = GetTickCount() + ms;
    do {
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(5);
    } while (GetTickCount() < end);
}

bool PumpUntilGone(HWND window)
{
    const DWORD end = GetTickCount() + 3000;
    while (IsWindow(window) && GetTickCount() < end) Pump(10);
    return !IsWindow(window);
}

HWND Open(const char* title, const char* text, HICON icon = nullptr)
{
    WK_Info(title, text, icon);
    Pump(50);
    return FindWindowA(kClass, title);
}

SIZE ClientSize(HWND window)
{
    RECT rc = {};
    GetClientRect(window, &rc);
    return {rc.right, rc.bottom};
}

RECT WorkArea()
{
    RECT work;
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    return work;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.top >= outer.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

void Press(WORD key)
{
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
}

std::string Words(int count)
{
    std::string text;
    for (int i = 0; i < count; ++i) text += "Server maintenance tonight. ";
    return text;
}

class InfoWindowTest : public ::testing::Test {
protected:
    ~InfoWindowTest() override
    {
        for (HWND w; (w = FindWindowA(kClass, nullptr)) != nullptr;) {
            DestroyWindow(w);
            if (IsWindow(w)) break;
        }
    }
};

TEST_F(InfoWindowTest, ReturnsAtOnceWithCaptionTextAndOkButton)
{
    LARGE_INTEGER frequency, before, after;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&before);
    WK_Info("Message from KVX Server", "Welcome back!", LoadIconA(nullptr, IDI_INFORMATION));
    QueryPerformanceCounter(&after);
    EXPECT_LT((after.QuadPart - before.QuadPart) * 1000 / frequency.QuadPart, 1000) << "must not wait for the user";

    Pump(50);
    HWND window = FindWindowA(kClass, "Message from KVX Server");
    ASSERT_TRUE(window != nullptr);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(nullptr, GetParent(window)) << "a top-level window";
    HWND ok = GetDlgItem(window, IDOK);
    ASSERT_TRUE(ok != nullptr);
    char text[16] = "";
    GetWindowTextA(ok, text, sizeof text);
    EXPECT_STREQ("OK", text);
    EXPECT_EQ(ok, GetFocus()) << "Enter and Escape go to the button";
    RECT button, client;
    GetWindowRect(ok, &button);
    GetClientRect(window, &client);
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
    EXPECT_TRUE(Inside(button, client));

    PostMessageA(ok, BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntilGone(window));
}

TEST_F(InfoWindowTest, WindowIsSizedToTheWrappedText)
{
    HWND shortOne = Open("Short", "Hi.");
    HWND lines = Open("Lines", "one\ntwo\nthree\nfour\nfive");
    HWND longOne = Open("Long", Words(20).c_str());
    HWND wider = Open("Long with icon", Words(20).c_str(), LoadIconA(nullptr, IDI_INFORMATION));
    ASSERT_TRUE(shortOne && lines && longOne && wider);

    EXPECT_GT(ClientSize(lines).cy, ClientSize(shortOne).cy + 3 * 10) << "each line adds height";
    EXPECT_GT(ClientSize(longOne).cy, ClientSize(shortOne).cy) << "long text wraps onto more lines";
    EXPECT_LT(ClientSize(longOne).cx, 600) << "wrapped at a readable width";
    EXPECT_GE(ClientSize(wider).cx - ClientSize(longOne).cx, GetSystemMetrics(SM_CXICON)) << "the icon sits beside the text";
    EXPECT_EQ(ClientSize(wider).cy, ClientSize(longOne).cy);
}

// A 16 x 16 icon of one colour, as the icon library hands them out.
HICON SolidIcon(COLORREF colour)
{
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = 16;
    info.bmiHeader.biHeight = 16;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    void* bits = nullptr;
    HBITMAP colourBits = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    DWORD* pixel = static_cast<DWORD*>(bits);
    for (int i = 0; i < 16 * 16; ++i) pixel[i] = 0xFF000000 | (GetRValue(colour) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
    HBITMAP mask = CreateBitmap(16, 16, 1, 1, nullptr);
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, mask);
    PatBlt(dc, 0, 0, 16, 16, BLACKNESS); // all opaque
    SelectObject(dc, old);
    DeleteDC(dc);
    ICONINFO icon = {TRUE, 0, 0, mask, colourBits};
    HICON made = CreateIconIndirect(&icon);
    DeleteObject(mask);
    DeleteObject(colourBits);
    return made;
}

// Where `colour` shows in the window's client area.
RECT FindColour(HWND window, COLORREF colour)
{
    RECT found = {INT_MAX, INT_MAX, -1, -1};
    const SIZE size = ClientSize(window);
    HDC dc = GetDC(window);
    for (int y = 0; y < size.cy; ++y)
        for (int x = 0; x < size.cx; ++x)
            if (GetPixel(dc, x, y) == colour) {
                if (x < found.left) found.left = x;
                if (y < found.top) found.top = y;
                if (x >= found.right) found.right = x + 1;
                if (y >= found.bottom) found.bottom = y + 1;
            }
    ReleaseDC(window, dc);
    return found;
}

TEST_F(InfoWindowTest, TheIconIsDrawnAtItsOwnSizeLeftOfTheTextEvenWhenTheCallerFreesIt)
{
    const COLORREF red = RGB(255, 0, 0);
    HICON icon = SolidIcon(red);
    ASSERT_TRUE(icon != nullptr);
    WK_Info("Icon", "Text beside the icon.", icon);
    DestroyIcon(icon);
    Pump(50);
    HWND window = FindWindowA(kClass, "Icon");
    ASSERT_TRUE(window != nullptr);
    InvalidateRect(window, nullptr, TRUE); // paint again after the caller's icon is gone
    UpdateWindow(window);
    const RECT drawn = FindColour(window, red);
    EXPECT_EQ(16, drawn.right - drawn.left);
    EXPECT_EQ(16, drawn.bottom - drawn.top);
    EXPECT_LT(drawn.right, ClientSize(window).cx / 4) << "at the left";
    const RECT text = FindColour(window, GetSysColor(COLOR_BTNTEXT));
    EXPECT_GT(text.left, drawn.right) << "the text starts right of the icon";
}

// The bar may be always-on-top; a message opened over it must still be seen.
TEST_F(InfoWindowTest, OpensAboveAnAlwaysOnTopWindow)
{
    // Not a static control: those are transparent to hit-testing.
    WNDCLASSA wc = {};
    wc.lpfnWndProc = DefWindowProcA;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "KVXTestOnTop";
    RegisterClassA(&wc);
    const RECT work = WorkArea();
    HWND onTop = CreateWindowExA(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, wc.lpszClassName, "", WS_POPUP | WS_VISIBLE, work.left,
                                 work.top, work.right - work.left, work.bottom - work.top, nullptr, nullptr, nullptr, nullptr);
    ASSERT_TRUE(onTop != nullptr);
    Pump(50);
    HWND window = Open("Above", "Seen over the bar.");
    ASSERT_TRUE(window != nullptr);
    RECT rc;
    GetWindowRect(window, &rc);
    const POINT centre = {(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
    EXPECT_EQ(window, GetAncestor(WindowFromPoint(centre), GA_ROOT));
    DestroyWindow(onTop);
}

TEST_F(InfoWindowTest, HugeTextsStayOnTheScreen)
{
    const std::string oneWord(600, 'W');
    HWND word = Open("One long word", oneWord.c_str());
    HWND huge = Open("Huge", Words(700).c_str());
    HWND empty = Open(nullptr, nullptr);
    ASSERT_TRUE(word && huge);
    const RECT work = WorkArea();
    for (HWND w : {word, huge}) {
        RECT rc;
        GetWindowRect(w, &rc);
        EXPECT_TRUE(Inside(rc, work)) << rc.left << "," << rc.top << "," << rc.right << "," << rc.bottom;
        RECT ok;
        GetWindowRect(GetDlgItem(w, IDOK), &ok);
        EXPECT_TRUE(Inside(ok, work)) << "OK stays reachable";
    }
    EXPECT_TRUE(empty == nullptr || IsWindowVisible(empty)) << "null title and text are allowed";
}

TEST_F(InfoWindowTest, SeveralStayOpenAndEachClosesByOkEscapeEnterOrCloseBox)
{
    std::vector<HWND> windows;
    for (const char* title : {"First", "Second", "Third", "Fourth"}) windows.push_back(Open(title, "Several at once."));
    for (HWND w : windows) ASSERT_TRUE(w != nullptr);
    RECT first, second;
    GetWindowRect(windows[0], &first);
    GetWindowRect(windows[1], &second);
    EXPECT_NE(first.left, second.left) << "a later window does not cover an earlier one exactly";
    for (int i = static_cast<int>(windows.size()); i < WK_MAX_INFO; ++i) EXPECT_NE(nullptr, Open("More", "Up to the cap."));
    EXPECT_EQ(nullptr, WK_Info("Flood", "One too many.", nullptr)) << "a flood stops at the cap";
    EXPECT_EQ(nullptr, FindWindowA(kClass, "Flood"));
    while (HWND more = FindWindowA(kClass, "More")) DestroyWindow(more);

    // Keys go to the active window, the one opened last.
    ASSERT_EQ(windows[3], GetForegroundWindow());
    Press(VK_ESCAPE);
    EXPECT_TRUE(PumpUntilGone(windows[3]));

    SetForegroundWindow(windows[2]);
    Pump(50);
    ASSERT_EQ(windows[2], GetForegroundWindow());
    Press(VK_RETURN);
    EXPECT_TRUE(PumpUntilGone(windows[2]));

    PostMessageA(windows[1], WM_SYSCOMMAND, SC_CLOSE, 0);
    EXPECT_TRUE(PumpUntilGone(windows[1]));

    EXPECT_TRUE(IsWindowVisible(windows[0])) << "closing the others leaves this one";
    PostMessageA(GetDlgItem(windows[0], IDOK), BM_CLICK, 0, 0);
    EXPECT_TRUE(PumpUntilGone(windows[0]));
}

} // namespace

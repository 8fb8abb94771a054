// A hover balloon: a small topmost window of class "KVXBalloon" near the pointer showing a
// text in the bar's colours (yellow on black, rounded). It never takes the focus or the
// mouse; whoever showed it destroys it with DestroyWindow.
#ifndef KVX_WINKIT_BALLOON_H
#define KVX_WINKIT_BALLOON_H

#include <windows.h>

class CBalloon {
public:
    static const char kClassName[];
    static const int kMaxText = 511; // characters; a longer text is cut

    // Shows `text` (NULL counts as empty) below and right of the pointer, kept inside the
    // work area. Returns the window, which holds the text as its own; NULL on failure.
    static HWND Show(const char* text);

private:
    static bool RegisterOnce(HINSTANCE instance);
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static void Paint(HWND window);
    // The window's size for `text`: wrapped at kMaxWidth, with a margin all round.
    static SIZE Measure(HWND window, const char* text);
    static HFONT Font();
};

#endif

/* winkit: the bar's window frame, message loop, balloons and information windows. */
#ifndef KVX_WINKIT_H
#define KVX_WINKIT_H

#include <windows.h>

#ifdef WINKIT_EXPORTS
#define WINKIT_API __declspec(dllexport)
#else
#define WINKIT_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Prepares the library; call once before WK_CreateMain. */
WINKIT_API void WK_Init(void);

/* Registers the window class `name` (double clicks on, no background brush: the owner paints
   everything) and creates the borderless, unshown top-level window with that class. Every
   message goes to `proc`. An x, y or height of -1 takes the first-run default; a position
   that lies on no monitor any more is moved back onto the nearest one. */
WINKIT_API HWND WK_CreateMain(const char* name, WNDPROC proc, int x, int y, int width, int height, HINSTANCE instance);

/* Runs the message loop until WM_QUIT; returns its exit code. */
WINKIT_API int WK_MSGLoop(void);

/* Dispatches every pending message and returns. A quit message is posted again, so the
   caller's loop ends and WK_MSGLoop sees it. */
WINKIT_API void WK_Idle(void);

/* Centres the window on the work area of its monitor; with `keepOnScreen` it is also moved
   fully inside that work area when it is taller than it. */
WINKIT_API void WK_Center(HWND window, BOOL keepOnScreen);

/* Paints the bar's frame: a dark edge along the window's region. */
WINKIT_API void WK_PaintNC(HWND window);

/* Paints the frame of the menu window that an owner-drawn item's device context belongs to
   in the bar's style: its outermost pixel WK_MENU_EDGE, the next one in WK_MENU_BEVEL.
   Nothing for a device context of no window. */
#define WK_MENU_EDGE RGB(16, 16, 24)
#define WK_MENU_BEVEL RGB(88, 112, 168)
WINKIT_API void WK_PaintMenuNC(HDC dc);

/* Shows a hover balloon (class "KVXBalloon", yellow text on black) below and right of the
   pointer, inside the work area, with up to 511 characters of `text` (the rest is cut),
   which is also the window's text. It never takes the focus or the mouse. The caller
   destroys it with DestroyWindow. NULL when it could not be made. */
WINKIT_API HWND WK_ShowBalloon(const char* text);

/* Shows a modeless information window (class "KVXInfo", caption `title`, owned by no window,
   topmost so an always-on-top bar cannot hide it) with `icon` (may be NULL; copied, so the
   caller may free its own; drawn at its own size) at the left, `text` word-wrapped and sized
   to fit the screen, and an OK button (IDOK). Returns at once; the window runs on the calling
   thread's message loop and goes away on OK, Enter, Escape or its close box. Several may be
   open at once, cascaded, up to WK_MAX_INFO: beyond that none is made, so a flood of
   messages cannot bury the desktop. Returns the window, or NULL when none was made. */
#define WK_MAX_INFO 16
WINKIT_API HWND WK_Info(const char* title, const char* text, HICON icon);

#ifdef __cplusplus
}
#endif

#endif

/* One shape for every window and dialog of the in-house code, header-only. A class lists its
   messages in a route table, `static const Route<CClass> kRoutes[]`, one named handler each;
   a handler receives the message whole, so one that falls through to the default passes it
   on as it came (DefWindowProcA(window, message, wParam, lParam)) without naming it again.

   A library window class `T` registers CWindowProc<T>::Proc as its procedure and befriends
   CWindowProc<T>: WM_NCCREATE makes the T from the `T::Params` the creator passed to
   CreateWindowEx (T(HWND, const Params&)), GWLP_USERDATA holds it, kRoutes hands on each
   message, WM_NCDESTROY deletes it. A dialog class runs CDialogProc<T>::Proc with the object
   as DialogBoxParam's parameter; the object keeps the dialog's handle in m_dialog. No
   exception leaves either: one while making the object refuses the window, one in a handler
   drops that message. */
#ifndef KVX_WINDOW_PROC_H
#define KVX_WINDOW_PROC_H

#include <windows.h>

#include <cstddef>
#include <cstring>

#include "records/ThisModule.h"

template <typename T, typename Result = LRESULT> struct Route {
    UINT message;
    Result (T::*handler)(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
};

/* Calls the handler `routes` lists for `message` into `*result`; false when none is listed. */
template <typename T, typename Result, std::size_t N>
bool Dispatch(T& self, const Route<T, Result> (&routes)[N], HWND window, UINT message, WPARAM wParam, LPARAM lParam,
              Result* result)
{
    for (const Route<T, Result>& route : routes)
        if (route.message == message) {
            *result = (self.*route.handler)(window, message, wParam, lParam);
            return true;
        }
    return false;
}

template <typename T> struct CWindowProc {
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        try {
            if (message == WM_NCCREATE) {
                const CREATESTRUCTA* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
                T* made = new T(window, *static_cast<const typename T::Params*>(create->lpCreateParams));
                SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made));
            }
            // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks): GWLP_USERDATA keeps `made` until WM_NCDESTROY
            T* self = reinterpret_cast<T*>(GetWindowLongPtrA(window, GWLP_USERDATA));
            if (message == WM_NCDESTROY) {
                SetWindowLongPtrA(window, GWLP_USERDATA, 0);
                delete self;
                self = nullptr;
            }
            LRESULT result = 0;
            if (self && Dispatch(*self, T::kRoutes, window, message, wParam, lParam, &result)) return result;
        } catch (...) {
            return 0; // at WM_NCCREATE (FALSE) refuses the window; otherwise drops the message
        }
        return DefWindowProcA(window, message, wParam, lParam);
    }
};

template <typename T> struct CDialogProc {
    static INT_PTR CALLBACK Proc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
    {
        try {
            if (message == WM_INITDIALOG) {
                SetWindowLongPtrA(dialog, DWLP_USER, lParam);
                reinterpret_cast<T*>(lParam)->m_dialog = dialog;
            }
            T* self = reinterpret_cast<T*>(GetWindowLongPtrA(dialog, DWLP_USER));
            INT_PTR result = FALSE;
            if (self && Dispatch(*self, T::kRoutes, dialog, message, wParam, lParam, &result)) return result;
        } catch (...) {
        }
        return FALSE;
    }
};

/* A visible child control of the calling library's module, in `font` (none: the system's);
   an edit control gets the sunken edge. */
static inline HWND Child(HWND parent, const char* cls, DWORD style, int id, int x, int y, int w, int h,
                         const char* text = "", HFONT font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)))
{
    HWND child =
        CreateWindowExA(std::strcmp(cls, "EDIT") == 0 ? WS_EX_CLIENTEDGE : 0, cls, text, WS_CHILD | WS_VISIBLE | style,
                        x, y, w, h, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), ThisModule(), nullptr);
    if (child && font) SendMessageA(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    return child;
}

/* The font message boxes use, for windows that read like one; null when the system does not
   say. The caller deletes it. */
static inline HFONT CreateMessageFont()
{
    NONCLIENTMETRICSA metrics;
    ZeroMemory(&metrics, sizeof metrics);
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
        return CreateFontIndirectA(&metrics.lfMessageFont);
    return nullptr;
}

#endif

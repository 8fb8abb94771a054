/* Registers an in-house library's window class the first time one of its windows is made:
   the arrow cursor and `background` (NULL: the window paints it all). True when the class
   exists afterwards. */
#ifndef KVX_WINDOW_CLASS_H
#define KVX_WINDOW_CLASS_H

#include <windows.h>

static inline BOOL RegisterWindowClassOnce(HINSTANCE instance, const char* name, WNDPROC proc, HBRUSH background)
{
    WNDCLASSEXA wc;
    ZeroMemory(&wc, sizeof wc);
    wc.cbSize = sizeof wc;
    if (GetClassInfoExA(instance, name, &wc)) return TRUE;
    wc.lpfnWndProc = proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorA(NULL, IDC_ARROW);
    wc.hbrBackground = background;
    wc.lpszClassName = name;
    return RegisterClassExA(&wc) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

#endif

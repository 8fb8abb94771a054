/* The bar's window as the in-house libraries, the client's own parts, other processes and
   the tests address it: its private messages, its width and the edges it docks at. Numbers
   fixed once, here; everything else names them. */
#ifndef KVX_BAR_RECORDS_H
#define KVX_BAR_RECORDS_H

#include <windows.h>

enum {
    BAR_TRAY_NOTIFY = WM_USER + 1,        /* the tray icon's mouse messages, lParam the mouse message */
    BAR_SHOW_MESSAGE = WM_USER + 5,       /* show the event waiting in the bar's queue */
    BAR_STATUS_CHANGED = WM_USER + 7,     /* the session's status changed; repaint */
    BAR_CONNECT_RESULT = WM_USER + 8,     /* the connection attempt ended, lParam its WSA code */
    BAR_APPBAR_NOTIFY = WM_USER + 9,      /* the shell's notices to the docked bar */
    BAR_QUERY_STATUS = WM_USER + 10,      /* answer: the user's status code */
    BAR_QUERY_ACCOUNT = WM_USER + 11,     /* answer: the account number, 0 for none */
    BAR_QUERY_SOCKET = WM_USER + 13,      /* answer: the logged-in socket, or 0 */
    BAR_LIBRARY_REQUEST = WM_USER + 14,   /* ask the server for the game-server list */
    BAR_JOIN_GAME = WM_USER + 17,         /* wParam a GAME_RECORD*, lParam the game's status code */
    BAR_QUERY_GAME_RECORD = WM_USER + 19, /* answer: a GAME_RECORD*, or 0 when no game runs */
    BAR_SOCKET_EVENT = WM_USER + 50       /* WSAAsyncSelect's notices for the server socket */
};

enum {
    BAR_WIDTH = 199, /* pixels; the skins are drawn for it */
    BAR_DOCK_LEFT = 10,
    BAR_DOCK_RIGHT = 20 /* 0, or anything else, means floating */
};

#endif

// The bar window's timers: one id each, shared by the bar that arms and answers them and the
// session, whose reconnect timer runs on the bar's window too.
#ifndef KVX_BAR_TIMERS_H
#define KVX_BAR_TIMERS_H

#include <windows.h>

enum BarTimer : UINT_PTR {
    TIMER_BALLOON = 10,    // a balloon once the pointer has rested over the focused bar
    TIMER_QUIET = 20,      // the next ad, outside games
    TIMER_APPLY_DOCK = 30, // once, right after start-up: dock at the saved edge
    TIMER_RETRY = 40,      // the session's reconnect after a drop
    TIMER_KEEP_ALIVE = 50,
    TIMER_BLINK = 60,      // the tray icon's blink while an event waits
    TIMER_GAME_CHECK = 70, // back to Online once a watched game's window has gone
};

#endif

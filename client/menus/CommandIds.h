/* Command ids: one number names a command, the text of its menu item and the tooltip of
   its hot region (the string table uses the same ids). Kept to the preprocessor so the
   resource compiler reads it too. */
#ifndef KVX_COMMAND_IDS_H
#define KVX_COMMAND_IDS_H

#define CMD_MAIN_MENU 1
#define CMD_STATUS_MENU 2
#define CMD_SCROLL_UP 3
#define CMD_SCROLL_DOWN 4
#define CMD_ACCOUNT 5
#define CMD_HIDE 6
#define CMD_EXIT 7
#define CMD_AD 8
#define CMD_AVAILABLE 9
#define CMD_OFFLINE 10
#define CMD_AWAY 11
#define CMD_NA 12
#define CMD_ABOUT 13
#define CMD_WINDOW 14
#define CMD_ONTOP 15
#define CMD_FIND_USERS 16
#define CMD_SKINS 17
#define CMD_DOCK 18
#define CMD_DOCK_LEFT 19
#define CMD_DOCK_RIGHT 20
#define CMD_DOCK_OFF 21
#define CMD_MESSAGE 22
#define CMD_DELETE 23
#define CMD_PING 24
#define CMD_ADD_TO_LIST 25
#define CMD_CHAT 26
#define CMD_GAME_MENU 27
#define CMD_EVENTS 28
#define CMD_UNREAL 29
#define CMD_QUAKE 30
#define CMD_QUAKE2 31
#define CMD_SUBSPACE 32
#define CMD_TANARUS 33
#define CMD_GAME_PREFS 34
#define CMD_GAME_ADD 35
#define CMD_QUAKE2_DELETE 36
#define CMD_QUAKE2_SCAN 37
#define CMD_AUTO_SEARCH 38
#define CMD_LAUNCH_QUAKE 39
#define CMD_LOCATE_QUAKE 40
#define CMD_LAUNCH_SUBSPACE 41
#define CMD_LOCATE_SUBSPACE 42
#define CMD_LAUNCH_UNREAL 43
#define CMD_LOCATE_UNREAL 44
#define CMD_LAUNCH_TANARUS 45
#define CMD_LOCATE_TANARUS 46
#define CMD_LAUNCH_QUAKE2 47
#define CMD_LOCATE_QUAKE2 48
#define CMD_QUAKE2_INFO 49
#define CMD_VIEW 50
#define CMD_VIEW_ONLINE 51
#define CMD_VIEW_OFFLINE 52
#define CMD_VIEW_ALL 53
#define CMD_PREFS_MENU 54
#define CMD_SUBSPACE_INFO 55
#define CMD_EMAIL 56
#define CMD_FILE 57
#define CMD_LAUNCH_FIRETEAM 58
#define CMD_LOCATE_FIRETEAM 59
#define CMD_FIRETEAM 60
#define CMD_INFO 61
#define CMD_COMM_LOG 62

#define CMD_LAST 62
#define CMD_SKIN_FIRST 5000 /* + position of the skin */

#endif

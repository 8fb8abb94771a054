#include "signon.h"

BOOL SO_Signup(HWND, USER_INFO_STRUCT*, UINT_PTR) { return FALSE; }
BOOL SO_Find(HWND, UINT_PTR) { return FALSE; }
void SO_Message(PACKET_DATA, UINT_PTR) {}

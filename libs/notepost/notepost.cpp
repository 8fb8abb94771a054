#include "notepost.h"

void NP_Send(USER_INFO_STRUCT, WORD, LONG, HWND) {}

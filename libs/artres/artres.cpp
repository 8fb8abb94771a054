#include "artres.h"

HICON AR_Icon(const char*) { return nullptr; }
HICON AR_Image(const char*, int, int, int, UINT) { return nullptr; }

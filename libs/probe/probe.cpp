#include "probe.h"

void PR_StartSpy(HWND, int) {}

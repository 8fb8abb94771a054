// Asking a running bar what the libraries ask it: its private query messages, sent from
// another process with a timeout so a hung client fails the test instead of stalling it.
#ifndef KVX_TEST_BAR_QUERIES_H
#define KVX_TEST_BAR_QUERIES_H

#include <windows.h>

// The bar's answer to `message`, or -1 when it did not answer within 3 s.
LRESULT Ask(HWND bar, UINT message);
// True once the bar's status is `status`, polling up to timeoutMs.
bool StatusBecomes(HWND bar, LRESULT status, DWORD timeoutMs);

#endif

// Waiting for a condition with a deadline, instead of fixed sleeps.
#ifndef KVX_TEST_WAIT_H
#define KVX_TEST_WAIT_H

#include <windows.h>

#include <functional>

// Polls `condition` every `stepMs` until it holds (true) or `timeoutMs` pass (false).
// Pumps this thread's messages between polls, so windows of the test stay alive.
bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs = 20);

#endif

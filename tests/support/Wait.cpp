#include "support/Wait.h"

bool WaitFor(const std::function<bool()>& condition, DWORD timeoutMs, DWORD stepMs)
{
    const ULONGLONG deadline = GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (GetTickCount64() >= deadline) return false;
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
        Sleep(stepMs);
    }
}

#include "support/BarQueries.h"

#include "records/Bar.h"
#include "support/Wait.h"

LRESULT Ask(HWND bar, UINT message)
{
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(bar, message, 0, 0, SMTO_ABORTIFHUNG, 3000, &answer)) return -1;
    return static_cast<LRESULT>(answer);
}

bool StatusBecomes(HWND bar, LRESULT status, DWORD timeoutMs)
{
    return WaitFor([&] { return Ask(bar, BAR_QUERY_STATUS) == status; }, timeoutMs, 100);
}

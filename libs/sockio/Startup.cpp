#include "sockio.h"

#include <winsock2.h>

#include "records/Guard.h"

BOOL SK_Init(WORD major, WORD minor)
{
    return Guard(FALSE, [&]() -> BOOL {
        WSADATA data;
        return WSAStartup(MAKEWORD(major, minor), &data) == 0;
    });
}

#include "sockio.h"

#include <winsock2.h>

BOOL SK_Init(WORD major, WORD minor)
{
    WSADATA data;
    return WSAStartup(MAKEWORD(major, minor), &data) == 0;
}

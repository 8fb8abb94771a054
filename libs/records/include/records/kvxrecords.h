/* Records that the in-house libraries and the client exchange by pointer or by value. */
#ifndef KVX_RECORDS_H
#define KVX_RECORDS_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A user as the sign-up, search and messaging libraries describe one. The client reads only
   the account number and the password; the rest is the libraries' own. */
typedef struct USER_INFO_STRUCT {
    int32_t accountNumber; /* 0: no account */
    char nickname[32];
    char email[92];
    char password[32]; /* NUL-terminated */
    char firstName[32];
    char lastName[32];
    char reserved[380];
} USER_INFO_STRUCT;

/* One packet as the socket library parses it out of the byte stream: the type, the payload
   length and the payload, laid out exactly like a frame on the wire. */
typedef struct PACKET_DATA {
    uint16_t type;
    uint16_t length; /* payload bytes used */
    uint8_t payload[2048];
} PACKET_DATA;

#ifdef __cplusplus
}
static_assert(sizeof(PACKET_DATA) == 2052, "PACKET_DATA is a 2052-byte record");
static_assert(offsetof(PACKET_DATA, length) == 2, "payload length at byte 2");
static_assert(offsetof(PACKET_DATA, payload) == 4, "payload at byte 4");
static_assert(sizeof(USER_INFO_STRUCT) == 604, "USER_INFO_STRUCT is a 604-byte record");
static_assert(offsetof(USER_INFO_STRUCT, accountNumber) == 0, "account number at byte 0");
static_assert(offsetof(USER_INFO_STRUCT, password) == 128, "password at byte 128");
#endif

#endif

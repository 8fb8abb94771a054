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
    char password[32];     /* NUL-terminated */
    char firstName[32];
    char lastName[32];
    char reserved[380];
} USER_INFO_STRUCT;

#ifdef __cplusplus
}
static_assert(sizeof(USER_INFO_STRUCT) == 604, "USER_INFO_STRUCT is a 604-byte record");
static_assert(offsetof(USER_INFO_STRUCT, accountNumber) == 0, "account number at byte 0");
static_assert(offsetof(USER_INFO_STRUCT, password) == 128, "password at byte 128");
#endif

#endif

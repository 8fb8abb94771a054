// The info record of one sponsor ad: the whole content of an adNNN.adi file, no header.
#ifndef KVX_AD_INFO_H
#define KVX_AD_INFO_H

#include <stddef.h>

struct AD_INFO {
    char url[260];   // the address a click opens, NUL-terminated
    char text[3000]; // "[Name]\nTagline", NUL-terminated
};
static_assert(sizeof(AD_INFO) == 3260, "an info file is exactly one record");
static_assert(offsetof(AD_INFO, url) == 0 && offsetof(AD_INFO, text) == 260, "offsets of an info file");

#endif

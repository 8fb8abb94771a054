// The product's own name, maker and address, as the client shows them.
#ifndef KVX_PRODUCT_H
#define KVX_PRODUCT_H

#include "Version.h"

constexpr char kProductName[] = "KVX";
constexpr char kProductVersion[] = KVX_VERSION_TEXT;
constexpr char kMakerCopyright[] = "Copyright (C) 2026 KVX Network";
constexpr char kMakerSite[] = "https://www.kvx.example/";

#endif

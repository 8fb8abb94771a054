// The product's own name, maker and address, as the client shows them.
#ifndef KVX_PRODUCT_H
#define KVX_PRODUCT_H

constexpr char kProductName[] = "KVX";
constexpr char kProductVersion[] = "1.46";
constexpr char kMakerCopyright[] = "Copyright (C) 2026 KVX Network";
constexpr char kMakerSite[] = "https://www.kvx.example/";

#endif

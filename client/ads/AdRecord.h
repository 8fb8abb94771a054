// Reading an adNNN.adi file's bytes into the current ad record. Portable (no Win32), so
// the reader is fuzzed natively.
#ifndef KVX_AD_RECORD_H
#define KVX_AD_RECORD_H

#include <cstddef>

#include "ads/AdInfo.h"

class CAdRecord {
public:
    // The file's `size` bytes replace the record's first bytes (a missing or short file
    // leaves the rest as it was; bytes past one record are ignored), then each field is cut
    // at its end so a damaged file cannot make the address or the text run past it.
    // True when the record then has an address.
    static bool Read(const void* data, std::size_t size, AD_INFO* record);
};

#endif

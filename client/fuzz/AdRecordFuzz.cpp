// Any adNNN.adi at all, read over a record that already holds an ad: no crash, no read
// outside the file, and both fields end inside the record whatever the file held.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "ads/AdRecord.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    AD_INFO record;
    std::memset(&record, 'p', sizeof record);
    const bool hasAddress = CAdRecord::Read(data, size, &record);
    const std::size_t url = strnlen(record.url, sizeof record.url);
    if (url == sizeof record.url || strnlen(record.text, sizeof record.text) == sizeof record.text) std::abort();
    if (hasAddress != (url > 0)) std::abort();
    // What a short file does not reach stays as it was.
    const std::size_t lastKept = offsetof(AD_INFO, text) + sizeof record.text - 2;
    if (size <= lastKept && record.text[sizeof record.text - 2] != 'p') std::abort();
    return 0;
}

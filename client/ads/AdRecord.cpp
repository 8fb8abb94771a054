#include "ads/AdRecord.h"

#include <cstring>

bool CAdRecord::Read(const void* data, std::size_t size, AD_INFO* record)
{
    if (!record) return false;
    if (data) std::memcpy(record, data, size < sizeof *record ? size : sizeof *record);
    record->url[sizeof record->url - 1] = '\0';
    record->text[sizeof record->text - 1] = '\0';
    return record->url[0] != '\0';
}

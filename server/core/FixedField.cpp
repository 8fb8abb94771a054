#include "FixedField.h"

#include <algorithm>
#include <cstring>

namespace kvxserver {

std::string FieldText(const char* field, std::size_t size) { return std::string(field, strnlen(field, size)); }

void SetField(char* field, std::size_t size, const std::string& text)
{
    if (size == 0) return;
    std::memset(field, 0, size);
    // NOLINTNEXTLINE(bugprone-not-null-terminated-result): the memset leaves the last byte zero
    std::memcpy(field, text.data(), std::min(text.size(), size - 1));
}

} // namespace kvxserver

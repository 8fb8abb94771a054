// Texts in the wire's fixed-size character fields: read up to the NUL (a field without one
// is read whole, never past its end) and written cut to fit, NUL-terminated, zero-filled.
#ifndef KVX_SERVER_FIXEDFIELD_H
#define KVX_SERVER_FIXEDFIELD_H

#include <cstddef>
#include <string>

namespace kvxserver {

std::string FieldText(const char* field, std::size_t size);
void SetField(char* field, std::size_t size, const std::string& text);

} // namespace kvxserver

#endif

// Whether a file name offered by a user may become a file on a Windows disk: one name in one
// folder, never a path, a device or a name Windows would quietly change. Checked by the
// sender's library, the server and the receiver's library alike.
#ifndef KVX_WIRE_FILENAME_H
#define KVX_WIRE_FILENAME_H

#include <cstddef>

namespace kvxwire {

// Null when `name` (NUL-terminated within `field` bytes) is fit; else why not, as a sentence
// to show the user.
const char* FileNameProblem(const char* name, std::size_t field);

} // namespace kvxwire

#endif

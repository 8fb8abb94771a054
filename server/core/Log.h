// The server's log: one line per event on stderr, with a UTC time stamp, written at once so
// that a crash or a kill loses nothing.
#ifndef KVX_SERVER_LOG_H
#define KVX_SERVER_LOG_H

#include <cstdio>

namespace kvxserver {

void LogLine(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Where lines go from now on: stderr at start; null drops them (for benchmarks).
void SetLogStream(std::FILE* stream);

} // namespace kvxserver

#endif

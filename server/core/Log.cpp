#include "Log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace kvxserver {

void LogLine(const char* format, ...) {
    char line[1024];
    std::time_t now = std::time(nullptr);
    std::tm utc{};
    gmtime_r(&now, &utc);
    std::size_t used = std::strftime(line, sizeof line, "%Y-%m-%dT%H:%M:%SZ ", &utc);

    va_list args;
    va_start(args, format);
    std::vsnprintf(line + used, sizeof line - used, format, args);
    va_end(args);
    // One write per line keeps lines whole even when several processes share the stream.
    std::fprintf(stderr, "%s\n", line);
}

} // namespace kvxserver

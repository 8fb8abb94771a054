#include "Log.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

namespace kvxserver {

namespace {
std::FILE* g_stream = stderr;
}

void SetLogStream(std::FILE* stream) { g_stream = stream; }

void LogLine(const char* format, ...)
{
    if (g_stream == nullptr) return;
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
    std::fprintf(g_stream, "%s\n", line);
}

} // namespace kvxserver

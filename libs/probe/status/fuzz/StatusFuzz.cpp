// Any datagram at all: the parser must neither crash nor read outside it, and what it
// reports must hang together.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "StatusReply.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    kvxprobe::StatusReply reply;
    if (!reply.Parse(reinterpret_cast<const char*>(data), size)) {
        if (!reply.Info().empty() || !reply.Players().empty()) std::abort();
        return 0;
    }
    if (reply.PlayerCount() > static_cast<int>(reply.Players().size())) std::abort();
    if (reply.MaxClients() < -1) std::abort();
    (void)reply.HostName();
    (void)reply.Map();
    return 0;
}

// What the protocol needs of the transport beneath it: a way to send frames, to hang up
// once they are out, and to be fed again after it paused for an account check.
#ifndef KVX_SERVER_PROTOCOLPEER_H
#define KVX_SERVER_PROTOCOLPEER_H

#include <cstddef>
#include <cstdint>

namespace kvxserver {

class ProtocolPeer {
public:
    virtual ~ProtocolPeer() = default;

    // Queues one frame; payload may be null when length is 0. length <= kMaxPayload.
    virtual void Send(std::uint16_t type, const void* payload, std::size_t length) = 0;
    // Sends what is queued, then hangs up; no more input is handed in. reason is logged.
    virtual void Finish(const char* reason) = 0;
    // The protocol is no longer busy: hand in the frames held meanwhile.
    virtual void Resume() = 0;
};

} // namespace kvxserver

#endif

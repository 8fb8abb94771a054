// Where the contact service hands frames for one session of a logged-in account: a client's
// connection, or a server-side demo user with no socket at all.
#ifndef KVX_SERVER_CONTACTSINK_H
#define KVX_SERVER_CONTACTSINK_H

#include <cstddef>
#include <cstdint>

namespace kvxserver {

class ContactSink {
public:
    virtual ~ContactSink() = default;

    // Queues one frame for the session. Must not call back into the contact service or the
    // presence hub: deliveries happen while the hub walks its tables.
    virtual void Deliver(std::uint16_t type, const void* payload, std::size_t length) = 0;
    // The session has been taken out of the presence hub (its account logged in on another
    // node) and should end; it must not leave the contact service again.
    virtual void End(const char* reason) { (void)reason; }
};

} // namespace kvxserver

#endif

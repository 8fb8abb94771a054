// Takes events that other users' clients send directly: accepts TCP peers, reads framed
// PKT_NEW_EVENT packets, acknowledges each well-formed one and drops a peer that sends
// anything else or more than a frame can hold.
#ifndef KVX_SOCKIO_EVENT_SERVER_H
#define KVX_SOCKIO_EVENT_SERVER_H

#include <vector>

#include "Listener.h"
#include "sockio.h"
#include "wire/Frame.h"

class EventServer : public Listener {
public:
    int Start() { return Listener::Start(SOCK_STREAM, SK_EVENT_PORT); }

    static const size_t kMaxPeers = 8;

private:
    struct Peer {
        SOCKET socket;
        uint8_t buffer[kvxwire::kMaxFrame];
        size_t fill;
    };

    void OnReadable(SOCKET s) override;
    void OnTick() override;
    void OnStopped() override;
    // False when the peer must be dropped.
    bool Read(Peer& peer);
    static bool IsEvent(const kvxwire::FrameView& frame);

    std::vector<Peer> m_peers;
};

#endif

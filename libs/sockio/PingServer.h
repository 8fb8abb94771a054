// Answers peers' UDP pings: each datagram holding one SK_PEER_PING frame goes back to its
// sender as SK_PEER_PONG with the same payload.
#ifndef KVX_SOCKIO_PING_SERVER_H
#define KVX_SOCKIO_PING_SERVER_H

#include "Listener.h"
#include "sockio.h"

class PingServer : public Listener {
public:
    int Start() { return Listener::Start(SOCK_DGRAM, SK_PING_PORT); }

private:
    void OnReadable(SOCKET s) override;
};

#endif

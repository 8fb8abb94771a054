#include "PingServer.h"

#include "sockio.h"
#include "wire/Frame.h"

void PingServer::OnReadable(SOCKET s)
{
    uint8_t datagram[kvxwire::kMaxFrame];
    sockaddr_in peer = {};
    int peerSize = sizeof peer;
    const int size = recvfrom(s, reinterpret_cast<char*>(datagram), sizeof datagram, 0,
                              reinterpret_cast<sockaddr*>(&peer), &peerSize);
    if (size <= 0) return;
    const kvxwire::FrameView ping = kvxwire::PeekFrame(datagram, static_cast<size_t>(size));
    if (ping.state != kvxwire::FrameState::Complete || ping.type != SK_PEER_PING ||
        ping.frameSize != static_cast<size_t>(size))
        return;
    kvxwire::WriteU16(datagram, SK_PEER_PONG);
    sendto(s, reinterpret_cast<const char*>(datagram), size, 0, reinterpret_cast<sockaddr*>(&peer), peerSize);
}

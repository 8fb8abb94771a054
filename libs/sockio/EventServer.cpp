#include "EventServer.h"

#include <string.h>

#include "wire/Packets.h"

int EventServer::Start(HWND bar)
{
    m_bar = bar;
    if (!m_notice) m_notice = RegisterWindowMessageA(SK_PEER_EVENT_MESSAGE);
    return Listener::Start(SOCK_STREAM, SK_EVENT_PORT);
}

// Room for every peer now, so the worker never allocates (and never throws).
void EventServer::Prepare() { m_peers.reserve(kMaxPeers); }

void EventServer::OnReadable(SOCKET s)
{
    SOCKET peer = accept(s, nullptr, nullptr);
    if (peer == INVALID_SOCKET) return;
    if (m_peers.size() >= kMaxPeers) {
        closesocket(peer);
        return;
    }
    m_peers.push_back(Peer{peer, {}, 0});
}

void EventServer::AddWaited(fd_set& set)
{
    for (const Peer& peer : m_peers) FD_SET(peer.socket, &set);
}

void EventServer::OnWoken(const fd_set& readable)
{
    for (size_t i = 0; i < m_peers.size();) {
        if (FD_ISSET(m_peers[i].socket, &readable) && !Read(m_peers[i])) {
            closesocket(m_peers[i].socket);
            m_peers.erase(m_peers.begin() + static_cast<long>(i));
            continue;
        }
        ++i;
    }
}

void EventServer::OnStopped()
{
    for (const Peer& peer : m_peers) closesocket(peer.socket);
    m_peers.clear();
}

bool EventServer::Read(Peer& peer)
{
    const int got = recv(peer.socket, reinterpret_cast<char*>(peer.buffer + peer.fill),
                         static_cast<int>(sizeof peer.buffer - peer.fill), 0);
    if (got <= 0) return false;
    peer.fill += static_cast<size_t>(got);
    for (;;) {
        const kvxwire::FrameView frame = kvxwire::PeekFrame(peer.buffer, peer.fill);
        if (frame.state == kvxwire::FrameState::NeedMore) return true;
        if (frame.state == kvxwire::FrameState::Broken || !IsEvent(frame)) return false;
        Notify(frame);
        uint8_t ack[kvxwire::kHeaderSize];
        kvxwire::EncodeFrame(SK_PEER_EVENT_ACK, nullptr, 0, ack, sizeof ack);
        if (send(peer.socket, reinterpret_cast<const char*>(ack), sizeof ack, 0) != sizeof ack) return false;
        memmove(peer.buffer, peer.buffer + frame.frameSize, peer.fill - frame.frameSize);
        peer.fill -= frame.frameSize;
    }
}

bool EventServer::IsEvent(const kvxwire::FrameView& frame)
{
    if (frame.type != PKT_NEW_EVENT || frame.length < kEventDataOffset) return false;
    const size_t dataLength = kvxwire::ReadU16(frame.payload + 2);
    return dataLength <= kMaxEventData && kEventDataOffset + dataLength <= frame.length;
}

// A posted notice carries no pointer, so nothing is left to free when the bar is gone.
void EventServer::Notify(const kvxwire::FrameView& frame) const
{
    const HWND bar = m_bar.load();
    if (!bar || !m_notice) return;
    const WORD kind = kvxwire::ReadU16(frame.payload);
    const LONG from = static_cast<LONG>(kvxwire::ReadU32(frame.payload + 4));
    PostMessageA(bar, m_notice, kind, from);
}

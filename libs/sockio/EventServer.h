// Takes events that other users' clients send directly: accepts TCP peers, reads framed
// PKT_NEW_EVENT packets, tells the bar of each well-formed one, acknowledges it, and drops a
// peer that sends anything else or more than a frame can hold.
#ifndef KVX_SOCKIO_EVENT_SERVER_H
#define KVX_SOCKIO_EVENT_SERVER_H

#include <atomic>
#include <vector>

#include "Listener.h"
#include "sockio.h"
#include "wire/Frame.h"

class EventServer : public Listener {
public:
    // `bar` receives the notices; a second Start while serving only changes the window.
    int Start(HWND bar);

    static const size_t kMaxPeers = 8;

private:
    struct Peer {
        SOCKET socket;
        uint8_t buffer[kvxwire::kMaxFrame];
        size_t fill;
    };

    void Prepare() override;
    void OnReadable(SOCKET s) override;
    void AddWaited(fd_set& set) override;
    void OnWoken(const fd_set& readable) override;
    void OnStopped() override;
    // False when the peer must be dropped.
    bool Read(Peer& peer);
    static bool IsEvent(const kvxwire::FrameView& frame);

    void Notify(const kvxwire::FrameView& frame) const;

    std::atomic<HWND> m_bar{nullptr};
    UINT m_notice = 0;
    std::vector<Peer> m_peers; // the worker's alone
};

#endif

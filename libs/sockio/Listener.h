// A socket served by a worker thread until Stop: the shared life cycle of the ping and
// event listeners. The worker waits in short select rounds so Stop is prompt.
#ifndef KVX_SOCKIO_LISTENER_H
#define KVX_SOCKIO_LISTENER_H

#include <winsock2.h>

#include <atomic>
#include <thread>

class Listener {
public:
    Listener() = default;
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;
    virtual ~Listener(); // stops

    // Binds `type` (SOCK_DGRAM or SOCK_STREAM) to `port` on every address and starts the
    // worker. 0 when serving (also when already serving), else the Winsock error.
    int Start(int type, int port);
    // Ends the worker and closes the socket; harmless when not serving.
    void Stop();

protected:
    // Called before the worker starts; may throw (Start then fails).
    virtual void Prepare() {}
    // Called by the worker when the socket is readable.
    virtual void OnReadable(SOCKET s) = 0;
    // Called by the worker after each wait, readable or not (for per-peer work).
    virtual void OnTick() {}
    // Called by the worker as it ends.
    virtual void OnStopped() {}
    bool Stopping() const { return m_stop.load(); }

    static const long kRoundMs = 100;

private:
    void Serve();

    SOCKET m_socket = INVALID_SOCKET;
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};

#endif

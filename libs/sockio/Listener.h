// A socket served by a worker thread until Stop: the shared life cycle of the ping and
// event listeners. The worker sleeps in select until a socket is readable; Stop wakes it
// with a datagram to a loopback socket of its own, so an idle listener costs no CPU.
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
    // Called by the worker before each wait: further sockets (peers) to wait for.
    virtual void AddWaited(fd_set&) {}
    // Called by the worker after each wait with what is readable now (for per-peer work).
    virtual void OnWoken(const fd_set&) {}
    // Called by the worker as it ends.
    virtual void OnStopped() {}
    bool Stopping() const { return m_stop.load(); }

private:
    void Serve();
    void Wake();

    SOCKET m_socket = INVALID_SOCKET;
    SOCKET m_wake = INVALID_SOCKET; // UDP on 127.0.0.1; a datagram ends the wait
    sockaddr_in m_wakeAddress = {};
    std::atomic<bool> m_stop{false};
    std::thread m_worker;
};

#endif

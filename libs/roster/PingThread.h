// The user's own round trip to the KVX server, measured every 30 s on a thread of its own:
// one UDP datagram of PKT_SERVER_PING to the server's address and port (those of the
// logged-in connection), timed until its PKT_SERVER_PONG comes back, or not within 5 s.
// The thread has its own socket and touches nothing but this object's figures, which the
// GUI thread reads when it shows them.
#ifndef KVX_ROSTER_PINGTHREAD_H
#define KVX_ROSTER_PINGTHREAD_H

#include <winsock2.h>

#include <atomic>
#include <mutex>
#include <thread>

class CPingThread {
public:
    static const DWORD kPeriodMs = 30000;
    static const DWORD kAnswerMs = 5000;
    static const int kNotYet = -1;   // nothing measured since the start
    static const int kNoAnswer = -2; // the last ping went unanswered

    CPingThread();
    ~CPingThread(); // stops
    CPingThread(const CPingThread&) = delete;
    CPingThread& operator=(const CPingThread&) = delete;

    // Starts the thread (harmless when running); the figure starts afresh.
    void Start();
    // Ends the thread and closes its socket before it returns; harmless when stopped.
    void Stop();
    // The server is the peer of `socket` (0: none known); a new one is measured at once.
    void SetServer(UINT_PTR socket);
    // Microseconds of the last round trip, or kNotYet / kNoAnswer.
    long long Last() const { return m_last.load(); }

private:
    void Run();
    // The round trip in microseconds, kNoAnswer, or kNotYet when woken before the answer.
    long long Measure(const sockaddr_storage& server, int size);

    std::thread m_thread;
    HANDLE m_wake; // auto-reset: stop, or a new server to measure
    std::atomic<bool> m_stop;
    std::atomic<long long> m_last;
    std::mutex m_lock; // guards the server address
    sockaddr_storage m_server;
    int m_serverSize;
    DWORD m_sequence;
};

#endif

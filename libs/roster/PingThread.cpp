#include "PingThread.h"

#include <cstring>

#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

long long MicrosecondsSince(const LARGE_INTEGER& start)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return (now.QuadPart - start.QuadPart) * 1000000 / frequency.QuadPart;
}

// Reads every datagram waiting on `s`: true when the answer to `sequence` was among them.
// Late answers to earlier pings, or strangers' datagrams, are passed over.
bool AnswerArrived(SOCKET s, std::uint32_t sequence)
{
    bool arrived = false;
    std::uint8_t datagram[kvxwire::kMaxFrame];
    int got;
    while ((got = recv(s, reinterpret_cast<char*>(datagram), sizeof datagram, 0)) > 0) {
        const kvxwire::FrameView pong = kvxwire::PeekFrame(datagram, static_cast<size_t>(got));
        PingStamp back = {};
        if (pong.state != kvxwire::FrameState::Complete || pong.type != PKT_SERVER_PONG || pong.length != sizeof back)
            continue;
        std::memcpy(&back, pong.payload, sizeof back);
        arrived = arrived || back.sequence == sequence;
    }
    return arrived;
}

} // namespace

CPingThread::CPingThread()
    : m_wake(CreateEventA(nullptr, FALSE, FALSE, nullptr)), m_stop(false), m_last(kNotYet), m_server(), m_serverSize(0),
      m_sequence(0)
{
}

CPingThread::~CPingThread()
{
    Stop();
    if (m_wake) CloseHandle(m_wake);
}

void CPingThread::Start()
{
    if (m_thread.joinable() || !m_wake) return;
    m_stop = false;
    m_last = kNotYet;
    ResetEvent(m_wake);
    try {
        m_thread = std::thread(&CPingThread::Run, this);
    } catch (...) {
        // No thread: the figure stays "not yet", which is all the user loses.
    }
}

void CPingThread::Stop()
{
    if (!m_thread.joinable()) return;
    m_stop = true;
    SetEvent(m_wake);
    m_thread.join();
    m_last = kNotYet;
}

void CPingThread::SetServer(UINT_PTR socket)
{
    sockaddr_storage server = {};
    int size = sizeof server;
    if (!socket || getpeername(static_cast<SOCKET>(socket), reinterpret_cast<sockaddr*>(&server), &size) != 0) size = 0;
    {
        std::lock_guard<std::mutex> hold(m_lock);
        m_server = server;
        m_serverSize = size;
    }
    if (size) SetEvent(m_wake);
}

void CPingThread::Run()
{
    while (!m_stop) {
        sockaddr_storage server;
        int size;
        {
            std::lock_guard<std::mutex> hold(m_lock);
            server = m_server;
            size = m_serverSize;
        }
        if (size) {
            const long long took = Measure(server, size);
            if (took != kNotYet && !m_stop) m_last = took;
        }
        WaitForSingleObject(m_wake, kPeriodMs);
    }
}

long long CPingThread::Measure(const sockaddr_storage& server, int size)
{
    SOCKET s = socket(server.ss_family, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) return kNoAnswer;
    HANDLE readable = WSACreateEvent();
    const PingStamp stamp = {++m_sequence, 0};
    std::uint8_t frame[kvxwire::kMaxFrame];
    const size_t length = kvxwire::EncodeFrame(PKT_SERVER_PING, &stamp, sizeof stamp, frame, sizeof frame);
    long long took = kNoAnswer;
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    if (readable != WSA_INVALID_EVENT && WSAEventSelect(s, readable, FD_READ) == 0 &&
        sendto(s, reinterpret_cast<const char*>(frame), static_cast<int>(length), 0,
               reinterpret_cast<const sockaddr*>(&server), size) == static_cast<int>(length)) {
        const HANDLE waits[2] = {m_wake, readable};
        for (;;) {
            const long long left = static_cast<long long>(kAnswerMs) - MicrosecondsSince(start) / 1000;
            const DWORD woken =
                left > 0 ? WaitForMultipleObjects(2, waits, FALSE, static_cast<DWORD>(left)) : WAIT_TIMEOUT;
            if (woken == WAIT_OBJECT_0) {
                // Stopping, or another server to measure: this round counts for nothing. The
                // wake is passed on to Run's wait, which would otherwise sleep through a Stop
                // for a whole period, holding the caller of Stop (the GUI thread) with it.
                took = kNotYet;
                SetEvent(m_wake);
                break;
            }
            if (woken != WAIT_OBJECT_0 + 1) break;
            WSAResetEvent(readable);
            if (AnswerArrived(s, stamp.sequence)) {
                took = MicrosecondsSince(start);
                break;
            }
        }
    }
    if (readable != WSA_INVALID_EVENT) WSACloseEvent(readable);
    closesocket(s);
    return took;
}

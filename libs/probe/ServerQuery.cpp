#include "ServerQuery.h"

#include <ws2tcpip.h>

#include <memory>
#include <new>

#include "StatusReply.h"

namespace {

// Bigger than any status answer: a full server with long names stays under 1400 bytes.
const int kReceiveBuffer = 4096;

int ElapsedMs(LARGE_INTEGER since)
{
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now);
    QueryPerformanceFrequency(&frequency);
    return static_cast<int>((now.QuadPart - since.QuadPart) * 1000 / frequency.QuadPart);
}

} // namespace

CServerQuery::CServerQuery(HWND window, UINT message, unsigned serial, const kvxprobe::ServerAddress& address)
    : m_window(window), m_message(message), m_serial(serial), m_address(address)
{
}

bool CServerQuery::Launch(HWND window, UINT message, unsigned serial, const kvxprobe::ServerAddress& address)
{
    CServerQuery* query = new (std::nothrow) CServerQuery(window, message, serial, address);
    if (!query) return false;
    HANDLE thread = CreateThread(nullptr, 0, &CServerQuery::Run, query, 0, nullptr);
    if (!thread) {
        delete query;
        return false;
    }
    CloseHandle(thread);
    return true;
}

DWORD WINAPI CServerQuery::Run(LPVOID self)
{
    CServerQuery* query = static_cast<CServerQuery*>(self);
    try {
        // Held until posted: Query() can throw (out of memory) with the result half made.
        std::unique_ptr<QueryResult> result(new QueryResult);
        result->serial = query->m_serial;
        query->Query(*result);
        if (PostMessageA(query->m_window, query->m_message, 0, reinterpret_cast<LPARAM>(result.get())))
            static_cast<void>(result.release()); // posted: the window deletes it
    } catch (...) {
        // Out of memory: the row stays as it was until the next refresh.
    }
    // NOLINTNEXTLINE(clang-analyzer-cplusplus.NewDeleteLeaks): the posted result lives on in the message's LPARAM
    delete query;
    return 0;
}

void CServerQuery::Query(QueryResult& result) const
{
    sockaddr_in target = {};
    if (!Resolve(target, result)) return;
    SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    if (s == INVALID_SOCKET) {
        result.outcome = QueryResult::Failed;
        return;
    }
    LARGE_INTEGER sent;
    QueryPerformanceCounter(&sent);
    const int size = static_cast<int>(kvxprobe::StatusReply::kQuerySize);
    if (sendto(s, kvxprobe::StatusReply::kQuery, size, 0, reinterpret_cast<const sockaddr*>(&target), sizeof target) !=
        size)
        result.outcome = QueryResult::Failed;
    else Await(s, target, sent, result);
    closesocket(s);
}

bool CServerQuery::Resolve(sockaddr_in& target, QueryResult& result) const
{
    addrinfo hints = {};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    hints.ai_protocol = IPPROTO_UDP;
    addrinfo* found = nullptr;
    if (getaddrinfo(m_address.host().c_str(), nullptr, &hints, &found) != 0 || !found) {
        result.outcome = QueryResult::UnknownHost;
        return false;
    }
    target = *reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    freeaddrinfo(found);
    target.sin_port = htons(m_address.port());
    result.addr = target.sin_addr.s_addr;
    return true;
}

void CServerQuery::Await(SOCKET s, const sockaddr_in& target, LARGE_INTEGER sent, QueryResult& result) const
{
    char buffer[kReceiveBuffer];
    for (;;) {
        const int left = static_cast<int>(kTimeoutMs) - ElapsedMs(sent);
        if (left <= 0) break;
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(s, &readable);
        timeval wait = {left / 1000, (left % 1000) * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) break;
        sockaddr_in from = {};
        int fromSize = sizeof from;
        const int got = recvfrom(s, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &fromSize);
        if (got < 0) {
            // Windows reports an ICMP port-unreachable as a reset on the next receive.
            if (WSAGetLastError() == WSAECONNRESET) {
                result.outcome = QueryResult::Refused;
                return;
            }
            continue;
        }
        // Anything from another address, or that is no answer, is someone else's.
        if (from.sin_addr.s_addr != target.sin_addr.s_addr || from.sin_port != target.sin_port) continue;
        kvxprobe::StatusReply reply;
        if (!reply.Parse(buffer, static_cast<size_t>(got))) continue;
        result.outcome = QueryResult::Answered;
        result.pingMs = ElapsedMs(sent);
        result.hostName = reply.HostName();
        result.map = reply.Map();
        result.players = reply.PlayerCount();
        result.maxClients = reply.MaxClients();
        return;
    }
    result.outcome = QueryResult::TimedOut;
}

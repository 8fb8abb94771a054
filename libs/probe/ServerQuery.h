// One server's status query on a worker thread of its own: resolve the name, send the query
// from a fresh UDP socket, wait up to kTimeoutMs for an answer from that address and port,
// then post exactly one result to the window. The GUI thread never waits on the network.
#ifndef KVX_PROBE_SERVERQUERY_H
#define KVX_PROBE_SERVERQUERY_H

#include <winsock2.h>

#include <stdint.h>

#include <string>

#include "ServerAddress.h"

struct QueryResult {
    enum Outcome { Answered, TimedOut, Refused, UnknownHost, Failed };

    unsigned serial = 0; // of the query this answers
    Outcome outcome = Failed;
    uint32_t addr = 0; // IPv4, network order; 0 until resolved
    int pingMs = 0;
    std::string hostName;
    std::string map;
    int players = 0;
    int maxClients = -1; // -1: the server does not say
};

class CServerQuery {
public:
    static const DWORD kTimeoutMs = 2000;

    // Starts the query. The window receives `message` with lParam a QueryResult* that it
    // must delete; when the window is gone by then, the result is dropped here. False, with
    // nothing to come, when no thread could start.
    static bool Launch(HWND window, UINT message, unsigned serial, const kvxprobe::ServerAddress& address);

private:
    CServerQuery(HWND window, UINT message, unsigned serial, const kvxprobe::ServerAddress& address);

    static DWORD WINAPI Run(LPVOID self);
    void Query(QueryResult& result) const;
    bool Resolve(sockaddr_in& target, QueryResult& result) const;
    // Waits for the answer of target on s until the deadline; fills result either way.
    void Await(SOCKET s, const sockaddr_in& target, LARGE_INTEGER sent, QueryResult& result) const;

    HWND m_window;
    UINT m_message;
    unsigned m_serial;
    kvxprobe::ServerAddress m_address;
};

#endif

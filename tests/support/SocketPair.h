// Two connected loopback TCP sockets: the client's end is handed to the code under test,
// the server's end lets the test write the bytes a server would send.
#ifndef KVX_TEST_SOCKET_PAIR_H
#define KVX_TEST_SOCKET_PAIR_H

#include <winsock2.h>

#include <string>

class SocketPair {
public:
    SocketPair(); // connected() is false when loopback failed
    ~SocketPair();
    SocketPair(const SocketPair&) = delete;
    SocketPair& operator=(const SocketPair&) = delete;

    bool Connected() const { return m_client != INVALID_SOCKET && m_server != INVALID_SOCKET; }
    SOCKET Client() const { return m_client; }
    // Hands the client's end over to code that will close it; the test can still feed it.
    SOCKET ReleaseClient();
    // Sends raw bytes from the server's end and waits until the client's end can read them.
    bool ServerSends(const std::string& bytes);

private:
    SOCKET m_client = INVALID_SOCKET;
    SOCKET m_server = INVALID_SOCKET;
    bool m_ownsClient = true;
};

// One frame as the wire carries it.
std::string Frame(WORD type, const std::string& payload = std::string());

#endif

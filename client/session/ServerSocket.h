// The connection to the KVX server: the socket handle, the bytes received but not yet parsed
// into a packet, and the packets sent. Resolving, connecting and framing belong to sockio.
#ifndef KVX_SERVER_SOCKET_H
#define KVX_SERVER_SOCKET_H

#include <windows.h>

#include "records/kvxrecords.h"

class CServerSocket {
public:
    CServerSocket(UINT connectMessage, UINT eventMessage);
    CServerSocket(const CServerSocket&) = delete;
    CServerSocket& operator=(const CServerSocket&) = delete;
    virtual ~CServerSocket(); // as Close

    // Starts an asynchronous connect; its outcome reaches the bar as connectMessage.
    void Connect(const char* host, int port);
    // Takes the socket of a finished connect. The buffer is emptied: bytes left from a
    // dropped connection would be read as the start of the new stream's first packet.
    void Attach(UINT_PTR handle);
    // Reads what is waiting, then parses one whole packet out of the buffer into `out`.
    // False when no whole packet is held. A stream that is no frame at all is dropped and
    // reported to the bar as a closed connection.
    bool Receive(PACKET_DATA* out);
    bool Send(WORD type, const void* data, int length);
    void Close();

    // 0 when there is no connection.
    UINT_PTR Handle() const { return m_handle; }

    static const int kBufferSize = 2048;

private:
    UINT_PTR m_handle = 0;
    UINT m_connectMessage;
    UINT m_eventMessage;
    char m_buffer[kBufferSize] = {};
    int m_bufferFill = 0;
};

#endif

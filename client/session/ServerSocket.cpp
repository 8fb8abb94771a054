#include "session/ServerSocket.h"

#include <winsock2.h>

#include "app/Globals.h"
#include "sockio/sockio.h"

namespace {
bool IsSocket(UINT_PTR handle) { return handle != 0 && handle != static_cast<UINT_PTR>(INVALID_SOCKET); }
} // namespace

CServerSocket::CServerSocket(UINT connectMessage, UINT eventMessage)
    : m_connectMessage(connectMessage), m_eventMessage(eventMessage)
{
}

CServerSocket::~CServerSocket() { Close(); }

void CServerSocket::Connect(const char* host, int port)
{
    SK_Connect(g_hMainWnd, m_connectMessage, m_eventMessage, host, port);
}

void CServerSocket::Attach(UINT_PTR handle)
{
    m_handle = handle;
    m_bufferFill = 0;
}

bool CServerSocket::Receive(PACKET_DATA* out)
{
    int received = 0;
    if (IsSocket(m_handle))
        received = recv(static_cast<SOCKET>(m_handle), m_buffer + m_bufferFill, kBufferSize - m_bufferFill, 0);
    if (received < 1) received = 0;
    if (SK_Parse(m_buffer, &m_bufferFill, received, out)) return true;
    if (m_bufferFill == SK_STREAM_BROKEN) {
        // Nothing after a broken frame can be trusted; go offline and let the retry reconnect.
        m_bufferFill = 0;
        PostMessageA(g_hMainWnd, m_eventMessage, m_handle, WSAMAKESELECTREPLY(FD_CLOSE, WSAECONNABORTED));
    }
    return false;
}

bool CServerSocket::Send(WORD type, const void* data, int length)
{
    return SK_WPacket(m_handle, type, data, length) != FALSE;
}

void CServerSocket::Close()
{
    if (!IsSocket(m_handle)) return;
    closesocket(static_cast<SOCKET>(m_handle));
    m_handle = 0;
}

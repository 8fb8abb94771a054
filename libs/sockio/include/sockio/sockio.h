/* sockio: the server connection (resolve, connect, framing, parsing), Winsock error texts,
   and the ping and event listeners. */
#ifndef KVX_SOCKIO_H
#define KVX_SOCKIO_H

#include <windows.h>
#include "records/kvxrecords.h"

#ifdef SOCKIO_EXPORTS
#define SOCKIO_API __declspec(dllexport)
#else
#define SOCKIO_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* Starts Windows Sockets at the given version; TRUE when the network is usable. */
SOCKIO_API BOOL SK_Init(WORD major, WORD minor);

/* Outcome codes of SK_Connect, posted as the wParam of its connect message. */
enum {
    CONNECT_FAILED = 100,        /* lParam: Winsock error */
    CONNECT_DNS_FAILED = 110,    /* lParam: Winsock error */
    CONNECT_SOCKET_FAILED = 115, /* lParam: Winsock error */
    CONNECT_ASYNC_FAILED = 120,  /* lParam: Winsock error */
    CONNECT_DONE = 1010          /* lParam: the connected socket */
};

/* The lParam of a CONNECT_FAILED whose TLS handshake failed (garbage, a stall or a refusal
   instead of the server's answers) or whose server certificate did not check out. */
#define SK_TLS_HANDSHAKE_FAILED 12100
#define SK_TLS_CERT_REJECTED 12101

/* SK_Parse sets the fill count to this when the held bytes are no frame at all: the stream
   cannot be resynchronised and the connection must be dropped. */
#define SK_STREAM_BROKEN (-1)

/* Resolves `host` and connects to it on `port` on a worker thread, so the caller never
   blocks, then sets up TLS (1.2 or later) on the connection: the server's certificate must
   match the SHA-256 fingerprint pinned in KVX.ini ([Server] Fingerprint, hex with or
   without colons) when one is, else be trusted by the system for the name `host`; a
   handshake that fails or stalls for 15 s is a CONNECT_FAILED with one of the SK_TLS_ codes.
   Every packet of the connection then travels inside that session. Exactly one
   `connectMessage` is posted to `window` afterwards with an outcome code; after CONNECT_DONE the socket's read and
   close events arrive as `eventMessage` (wParam the socket, lParam WSAMAKESELECTREPLY(event, error)). Bytes or a close
   that reach the socket before the outcome is posted are announced again after it, so a receiver may ignore events of a
   socket it does not know yet. A blocked connect gives up after 15 s (CONNECT_FAILED, WSAETIMEDOUT). When `window` is
   gone by then, the socket is closed. */
SOCKIO_API void SK_Connect(HWND window, UINT connectMessage, UINT eventMessage, const char* host, int port);

/* Sends one framed packet; on a connection made by SK_Connect only inside its TLS session,
   and only on the latest one (on a socket its caller connected itself, the frame as it
   stands). `data` may be NULL when `length` is 0. A full send buffer is waited out for up
   to 5 s at a time. FALSE, with nothing sent, when the socket is 0 or all-ones, an earlier
   connection of SK_Connect, or the payload is too long for a frame (over 2044 bytes);
   FALSE too when the connection fails, after which the stream is of no further use. */
SOCKIO_API BOOL SK_WPacket(UINT_PTR socket, WORD type, const void* data, int length);

/* Takes `newBytes` just received at buffer + *fill from the latest connection as TLS records
   and adds the plain text they carry to the buffer and its fill count (text that does not
   fit yet is held in the library and comes with the next calls). When the 2048-byte
   buffer holds a whole packet, copies it into `out`, removes it from the front, lowers *fill
   and returns TRUE; otherwise FALSE. A broken frame or record empties the buffer, sets
   *fill to SK_STREAM_BROKEN and returns FALSE. */
SOCKIO_API BOOL SK_Parse(char* buffer, int* fill, int newBytes, PACKET_DATA* out);

/* Readable text for a Winsock error code. With *code 0 the library's last error is used
   and stored into *code, so the text and the code shown belong together. */
SOCKIO_API const char* SK_Error(int* code);

/* The ping listener answers other users' UDP pings on SK_PING_PORT, so they can measure their
   round trip to this computer: a datagram holding one frame of type SK_PEER_PING is sent
   back as SK_PEER_PONG with the same payload; anything else is ignored. Returns 0 when
   listening (also when already listening), else a Winsock error (WSAEADDRINUSE while
   another program holds the port). The listeners serve on threads of their own; each Stop
   ends its thread and closes its sockets before it returns, and is harmless when stopped. */
#define SK_PING_PORT 2601
#define SK_PEER_PING 2000
#define SK_PEER_PONG 2001
SOCKIO_API int SK_StartPingServer(HWND bar);
SOCKIO_API void SK_StopPingServer(void);

/* The event listener takes events sent directly by other users' clients: it accepts TCP
   connections on SK_EVENT_PORT and reads framed PKT_NEW_EVENT packets (payload: the 16-byte
   event head, 4 bytes, then the event data). For each well-formed one it posts the
   registered window message SK_PEER_EVENT_MESSAGE to the window given to
   SK_StartEventServer (wParam: the event kind, the head's first 16 bits; lParam: the
   sender's account, head bytes 4 to 7) and answers the peer with an SK_PEER_EVENT_ACK frame.
   A peer that sends anything else is dropped. Returns 0 when listening (also when already
   listening; the window given last gets the notices), else a Winsock error. */
#define SK_EVENT_PORT 2602
#define SK_PEER_EVENT_ACK 2002
#define SK_PEER_EVENT_MESSAGE "KVX.PeerEvent"
SOCKIO_API int SK_StartEventServer(HWND bar);
SOCKIO_API void SK_StopEventServer(void);

#ifdef __cplusplus
}
#endif

#endif

// Packets over the server stream: one frame per packet, in the format shared with the server.
#include "sockio.h"

#include <winsock2.h>

#include <string.h>

#include "Connector.h"
#include "records/Guard.h"
#include "wire/Frame.h"

namespace {

const int kBufferSize = 2048;
const long kSendWaitSeconds = 5;

bool IsSocket(UINT_PTR s) { return s != 0 && s != static_cast<UINT_PTR>(INVALID_SOCKET); }

// The socket is non-blocking under WSAAsyncSelect; a full send buffer is waited out briefly.
bool SendAll(SOCKET s, const char* data, int size)
{
    while (size > 0) {
        const int sent = send(s, data, size, 0);
        if (sent > 0) {
            data += sent;
            size -= sent;
            continue;
        }
        if (sent == SOCKET_ERROR && WSAGetLastError() != WSAEWOULDBLOCK) return false;
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(s, &writable);
        timeval wait = {kSendWaitSeconds, 0};
        if (select(0, nullptr, &writable, nullptr, &wait) != 1) return false;
    }
    return true;
}

} // namespace

void SK_Connect(HWND window, UINT connectMessage, UINT eventMessage, const char* host, int port)
{
    const bool launched = Guard(false, [&] {
        Connector::Launch(new Connector(window, connectMessage, eventMessage, host, port));
        return true;
    });
    // Out of memory before the worker existed: the one outcome still arrives.
    if (!launched) PostMessageA(window, connectMessage, CONNECT_FAILED, WSAENOBUFS);
}

BOOL SK_WPacket(UINT_PTR socket, WORD type, const void* data, int length)
{
    return Guard(FALSE, [&]() -> BOOL {
        if (!IsSocket(socket) || length < 0 || (length > 0 && !data)) return FALSE;
        uint8_t frame[kvxwire::kMaxFrame];
        const size_t size = kvxwire::EncodeFrame(type, data, static_cast<size_t>(length), frame, sizeof frame);
        if (size == 0) return FALSE;
        return SendAll(static_cast<SOCKET>(socket), reinterpret_cast<const char*>(frame), static_cast<int>(size));
    });
}

BOOL SK_Parse(char* buffer, int* fill, int newBytes, PACKET_DATA* out)
{
    return Guard(FALSE, [&]() -> BOOL {
        if (!buffer || !fill || !out) return FALSE;
        if (*fill < 0 || *fill > kBufferSize) {
            *fill = SK_STREAM_BROKEN;
            return FALSE;
        }
        if (newBytes > 0) *fill += newBytes < kBufferSize - *fill ? newBytes : kBufferSize - *fill;
        const kvxwire::FrameView frame =
            kvxwire::PeekFrame(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(*fill));
        if (frame.state == kvxwire::FrameState::Broken) {
            *fill = SK_STREAM_BROKEN;
            return FALSE;
        }
        if (frame.state != kvxwire::FrameState::Complete) return FALSE;
        memset(out, 0, sizeof *out);
        out->type = frame.type;
        out->length = frame.length;
        memcpy(out->payload, frame.payload, frame.length);
        const int used = static_cast<int>(frame.frameSize);
        memmove(buffer, buffer + used, static_cast<size_t>(*fill - used));
        *fill -= used;
        return TRUE;
    });
}

// Packets over the server stream: one frame per packet, in the format shared with the
// server, carried inside the connection's TLS session.
#include "sockio.h"

#include <winsock2.h>

#include <string.h>

#include <string>

#include "Connector.h"
#include "Sessions.h"
#include "SocketWait.h"
#include "TlsSession.h"
#include "records/Guard.h"
#include "wire/Frame.h"

namespace {

const int kBufferSize = 2048;
const DWORD kSendWaitMs = 5000;

bool IsSocket(UINT_PTR s) { return s != 0 && s != static_cast<UINT_PTR>(INVALID_SOCKET); }

// Moves the record bytes just read out of the client's buffer into the session (which also
// opens records it held already), and as much plain text as fits back in; false when the
// stream is broken.
bool Decrypt(TlsSession* session, char* buffer, int* fill, int newBytes)
{
    if (!session->Open(buffer + *fill, static_cast<size_t>(newBytes))) return false;
    std::string& plain = session->Plain();
    const size_t room = static_cast<size_t>(kBufferSize - *fill);
    const size_t take = plain.size() < room ? plain.size() : room;
    plain.copy(buffer + *fill, take);
    plain.erase(0, take);
    *fill += static_cast<int>(take);
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
        const SOCKET s = static_cast<SOCKET>(socket);
        BOOL sent = FALSE;
        // A connection of this library carries frames only inside its session.
        sessions::WithSocket(s, [&](sessions::Route route, TlsSession* session) {
            if (route == sessions::Route::Foreign) {
                sent = SendAll(s, reinterpret_cast<const char*>(frame), static_cast<int>(size), kSendWaitMs);
                return;
            }
            std::string records;
            if (route == sessions::Route::Secure && session->Seal(frame, size, &records))
                sent = SendAll(s, records.data(), static_cast<int>(records.size()), kSendWaitMs);
        });
        return sent;
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
        if (newBytes < 0) newBytes = 0;
        if (newBytes > kBufferSize - *fill) newBytes = kBufferSize - *fill;
        bool intact = true;
        sessions::WithCurrent([&](TlsSession* session) {
            if (session) intact = Decrypt(session, buffer, fill, newBytes);
            else *fill += newBytes; // no connection was ever made: the bytes are frames as they stand
        });
        const kvxwire::FrameView frame =
            kvxwire::PeekFrame(reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(*fill));
        if (!intact || frame.state == kvxwire::FrameState::Broken) {
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

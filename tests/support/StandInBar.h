// The bar as the in-house libraries meet it, for their tests: a window that answers their
// queries (WM_USER+10 the status, +13 the logged-in socket, +19 the game record), keeps what
// they ask of it (+14 the game-server list, +17 joining a game), and holds a real loopback
// connection whose far end plays the server.
#ifndef KVX_TEST_STAND_IN_BAR_H
#define KVX_TEST_STAND_IN_BAR_H

#include <winsock2.h>

#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "records/GameRecord.h"
#include "records/kvxrecords.h"
#include "support/WireClient.h"

class StandInBar {
public:
    // With `paint` the bar is shown, 199 x `height` at (700, 100), and `paint` draws it.
    explicit StandInBar(std::function<void(HDC)> paint = nullptr, int height = 300);
    ~StandInBar();
    StandInBar(const StandInBar&) = delete;
    StandInBar& operator=(const StandInBar&) = delete;

    HWND Handle() const { return m_window; }
    UINT_PTR Socket() const { return static_cast<UINT_PTR>(m_client); }
    // The connection drops (the handle given out is closed) and a new one starts.
    void Connect();

    // The server's end: the next frame of `type` (0: any), skipping others, pumping this
    // thread's messages meanwhile; false when none came within `ms`.
    bool Next(WORD type, PACKET_DATA* out, DWORD ms = 3000);
    bool Quiet(DWORD ms = 200); // nothing at all arrives
    void Send(WORD type, const void* payload, size_t length);
    // Hands `packet` to onPacket on the bar's thread, as if it had been read.
    void Deliver(const PACKET_DATA& packet);

    // What it answers.
    WORD status = 300;
    bool online = true; // false: BAR_QUERY_SOCKET answers 0
    GAME_RECORD game = {};
    // Every packet read at the client's end, on the bar's thread, like the client's receive loop.
    std::function<void(const PACKET_DATA&)> onPacket;
    // What it was asked.
    int listRequests = 0;
    std::vector<std::pair<GAME_RECORD, LPARAM>> joins;

private:
    static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Receive();

    std::function<void(HDC)> m_paint;
    HWND m_window = nullptr;
    SOCKET m_client = INVALID_SOCKET;
    std::unique_ptr<WirePeer> m_server; // the far end of the client's connection
    std::string m_toClient;
};

// Reads a record out of a packet's payload.
template <class Record> Record Payload(const PACKET_DATA& packet)
{
    Record record = {};
    memcpy(&record, packet.payload, sizeof record < packet.length ? sizeof record : packet.length);
    return record;
}
// The text of a fixed-size field, which need not end in a NUL.
template <size_t N> std::string FieldText(const char (&field)[N]) { return std::string(field, strnlen(field, N)); }

#endif

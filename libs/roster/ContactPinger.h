// Contact pings through the server: the round trip from this client to a contact's client and
// back, timed here and shown in an information window titled with the result ("Camper Carl:
// 42 ms", "Camper Carl: no answer in 5 s", "Camper Carl: offline"). Pings from others are answered at once, with
// nothing shown to the user. The 5 s timers run on a message-only window of the library's own, on the GUI thread.
#ifndef KVX_ROSTER_CONTACTPINGER_H
#define KVX_ROSTER_CONTACTPINGER_H

#include <windows.h>

#include <cstdint>
#include <map>
#include <string>

#include "wire/Contacts.h"

class CContactPinger {
public:
    static const UINT kTimeoutMs = 5000;

    CContactPinger();
    ~CContactPinger();
    CContactPinger(const CContactPinger&) = delete;
    CContactPinger& operator=(const CContactPinger&) = delete;

    // Sends a ping to `account` over `socket`; false when it could not go out.
    bool Ping(UINT_PTR socket, std::int32_t account, const std::string& name);
    // EVENT_PING: answered over `socket` at once.
    static void Answer(UINT_PTR socket, const PingRecord& ping);
    // EVENT_PING_REPLY: the time, or "offline", for a ping still waiting; others are ignored.
    void OnReply(const PingRecord& reply);

    // A round trip as the user reads it: "42 ms", or "under 1 ms".
    static std::string Milliseconds(long long microseconds);
    // What a ping to an offline contact shows, at once.
    static void ShowOffline(const std::string& name);

private:
    struct Waiting {
        std::string name;
        LARGE_INTEGER sent;
    };

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    bool MakeWindow();
    void OnTimeout(std::uint32_t tag);
    void Forget(std::uint32_t tag);
    static void Show(const std::string& name, const std::string& result, const std::string& sentence);

    HWND m_window;
    std::uint32_t m_lastTag;
    std::map<std::uint32_t, Waiting> m_waiting; // by tag, which is also the timer's id
};

#endif

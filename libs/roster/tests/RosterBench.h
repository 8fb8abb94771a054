// The test's stand-in for the client around the contact library: a scratch working folder,
// a bar window that paints the library's contact area and answers its queries (status,
// socket, game record) and records its join requests, and a real loopback connection whose
// far end plays the server.
#ifndef KVX_ROSTER_TESTS_ROSTERBENCH_H
#define KVX_ROSTER_TESTS_ROSTERBENCH_H

#include <winsock2.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "games/GameRecord.h"
#include "records/kvxrecords.h"
#include "support/ScratchFolder.h"
#include "wire/Contacts.h"

class RosterBench {
public:
    static const int kBarHeight = 300; // the contact area is (12, 124) to (167, 257)
    static const int kAccount = 1000;

    RosterBench();
    ~RosterBench();
    RosterBench(const RosterBench&) = delete;
    RosterBench& operator=(const RosterBench&) = delete;

    HWND Bar() const { return m_bar; }
    RECT Area() const;
    const ScratchFolder& Folder() const { return *m_folder; }

    // What the bar answers.
    WORD status = 300;
    bool answerSocket = true;
    GAME_RECORD game = {};
    // What it was asked to join.
    std::vector<GAME_RECORD> joined;
    std::vector<LPARAM> joinedGames;

    UINT_PTR ClientSocket() const { return static_cast<UINT_PTR>(m_client); }
    // Closes the connection and makes a new one (a reconnect); RL_RefreshIP is the caller's.
    void Reconnect();

    // Server end: the next frame the library sent, or false after `ms`.
    bool ReadFrame(PACKET_DATA* out, DWORD ms = 3000);
    // The next frame of `type`, skipping others; false when none came.
    bool ReadFrameOf(WORD type, PACKET_DATA* out, DWORD ms = 3000);
    // True when nothing arrives within `ms`.
    bool Quiet(DWORD ms = 200);

    // Logs in the way the client does: the socket, then the status change.
    void LogIn();
    // Hands the library a PKT_NEW_EVENT as the client's session does.
    static void Event(WORD kind, const void* data, size_t length, std::int32_t from = 0);
    static void Contact(std::int32_t account, const char* nickname, WORD status, WORD kind = EVENT_CONTACT);
    static void ListEnd() { Event(EVENT_CONTACTS_END, nullptr, 0); }

    // Repaints the bar and reads its pixels.
    void Repaint() const;
    COLORREF At(int x, int y) const;
    // True when any pixel of the text part of contact row `row` has `colour`.
    bool RowShows(int row, COLORREF colour) const;
    // True when the row holds anything but the bar's black background.
    bool RowUsed(int row) const;
    // Points at row `row` (RL_Hilight) and right-clicks it; RL_RClick's answer.
    bool Click(int row) const;

private:
    static LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void Connect();

    std::unique_ptr<ScratchFolder> m_folder;
    char m_previousFolder[MAX_PATH];
    HWND m_bar;
    SOCKET m_client;
    SOCKET m_server;
    std::string m_fromClient;
};

// Pumps this thread's messages until `condition` holds or 3 s pass.
bool Eventually(const std::function<bool()>& condition);
// The first visible top-level window of `cls` (and `title` when given), waiting for it.
HWND WaitForWindow(const char* cls, const char* title = nullptr);
std::string TextOf(HWND window);
std::string Field(const char* field, size_t size);
void CloseAll(const char* cls);

#endif

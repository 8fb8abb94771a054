// The test's stand-in for the client around a sign-up: a bar window that owns the dialog and,
// like the client's receive loop, hands every received packet of the sign-on range to
// SO_Message; a real loopback connection whose far end plays the server.
#ifndef KVX_SIGNON_TESTS_SIGNUPSESSION_H
#define KVX_SIGNON_TESTS_SIGNUPSESSION_H

#include <winsock2.h>

#include <atomic>
#include <string>

#include "records/kvxrecords.h"

// A sign-up the bar starts again on a new connection, as the client does when it reconnects.
struct SignupAgain {
    UINT_PTR socket = 0;
    USER_INFO_STRUCT user = {};
    std::atomic<bool> started{false}; // set on the bar's thread just before SO_Signup
    BOOL result = FALSE;
};

class SignupSession {
public:
    SignupSession();
    ~SignupSession();
    SignupSession(const SignupSession&) = delete;
    SignupSession& operator=(const SignupSession&) = delete;

    HWND Bar() const { return m_bar; }
    UINT_PTR ClientSocket() const { return static_cast<UINT_PTR>(m_client); }
    void CloseClientSocket();

    // Server end (any thread): one whole frame the client sent, or false after `ms`.
    bool ReadFrame(PACKET_DATA* out, DWORD ms);
    // Server end: sends one frame to the client.
    void Answer(WORD type, const void* data, size_t length);
    void Answer(WORD type, const std::string& payload) { Answer(type, payload.data(), payload.size()); }

    // Has the bar pass this exact record to SO_Message on its own (GUI) thread.
    void DeliverThroughBar(const PACKET_DATA& packet);
    // Has the bar run SO_Signup with `again` on its own thread; `again` must outlive that call.
    void SignupAgainThroughBar(SignupAgain* again);

private:
    static LRESULT CALLBACK BarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void OnSocketEvent();

    HWND m_bar;
    SOCKET m_client;
    SOCKET m_server;
    char m_received[2048];
    int m_fill;
    std::string m_fromClient;
};

#endif

// The client's one connection to the KVX server and the owner of the user's own status:
// when to connect, retry and go offline, what each server packet means, the account's
// login and sign-up, and the answers to the libraries' status queries.
#ifndef KVX_SESSION_H
#define KVX_SESSION_H

#include <windows.h>

#include "records/Bar.h"
#include "records/GameRecord.h"
#include "records/kvxrecords.h"
#include "session/ServerSocket.h"
#include "wire/Status.h"

class CSession {
public:
    // Reads the account and the server host; does not connect.
    CSession();
    CSession(const CSession&) = delete;
    CSession& operator=(const CSession&) = delete;
    // Goes offline (with the libraries' offline calls), waits for them, closes the socket.
    virtual ~CSession();

    // Contact-list view, network start, always-on-top, first connect, news. False when the
    // network could not be started (reported).
    bool Start();

    // The one entry for every status change; also takes the status menu's commands
    // (CMD_AVAILABLE, CMD_OFFLINE, CMD_AWAY, CMD_NA). Only the low 16 bits count.
    void SetStatus(unsigned code);
    // True when a connect was started (only while offline).
    bool Connect();
    // Arms (retry every 20 s, failures silent) or disarms the reconnect.
    void SetRetry(bool arm);
    void ShowStatusInTray();
    void CloseConnection();
    // Keep-alive tick: sent whatever the status; a send on no connection fails quietly.
    void SendKeepAlive();
    // A contact-list library asks the server for its data.
    void SendLibraryRequest();

    // The socket library's notices, as the bar receives them.
    void OnConnectResult(WPARAM code, LPARAM value);
    void OnSocketEvent(WORD error, LPARAM event, WPARAM socket);
    // Dispatches every whole packet held or waiting. May be entered again from inside a
    // wizard that a dispatched packet opened.
    void ReceivePackets();
    // False only when the receive loop must stop (the client is out of date).
    bool DispatchPacket(PACKET_DATA packet);
    void OnOutdatedVersion();

    // With the stored password, or with `password` when given (one that could not be stored).
    bool SendLogin(const char* password = nullptr);
    void RunSignup();
    // Scroll, About, always-on-top and find users; other ids are ignored.
    void OnCommand(unsigned id);

    // Starts the game of `id` (a launch or location command or its status; StartGame) with
    // `parameters` (may be null); the user then plays it, once logged in.
    void LaunchGame(WORD id, const char* parameters);
    DWORD GameLaunchTick() const { return m_gameLaunchTick; }

    WORD Status() const { return m_status; }
    LONG AccountNumber() const { return m_accountNumber; }
    bool RetryArmed() const { return m_retryArmed; }
    // The server socket while logged in, else 0 (the libraries' socket query).
    UINT_PTR LoggedInSocket() const;
    UINT_PTR SocketHandle() const { return m_socket.Handle(); }
    // The game being joined or played, as the libraries and the server are told it.
    const GAME_RECORD& GameRecord() const { return m_gameRecord; }
    void SetGameRecord(const GAME_RECORD& record) { m_gameRecord = record; }

    static const int kServerPort = 2600;
    static const UINT kRetryMs = 20000;

private:
    bool ApplyStatusCommand(WORD code, WORD* status);
    void OnLoginFailed();
    void OnLoginOk();
    void OnNewEvent(const PACKET_DATA& packet);
    void ShowAbout();
    void ToggleOnTop();

    LONG m_accountNumber;
    char m_serverHost[100];
    WORD m_status = STATUS_OFFLINE;
    bool m_retryArmed = true;
    CServerSocket m_socket{BAR_CONNECT_RESULT, BAR_SOCKET_EVENT}; // closed after the goodbye in ~CSession
    GAME_RECORD m_gameRecord = {};
    DWORD m_gameLaunchTick = 0;
};

#endif

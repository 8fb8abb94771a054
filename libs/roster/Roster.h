// The contact library's one object: the list hosted in the bar, the events waiting to be
// opened, the commands of the contact menu and the user's own presence, as roster.h's
// functions drive them on the bar's (GUI) thread. It talks to the server over the socket
// the client handed it and to the client only by messages to the bar window.
#ifndef KVX_ROSTER_ROSTER_H
#define KVX_ROSTER_ROSTER_H

#include <windows.h>

#include <map>
#include <string>

#include "ContactList.h"
#include "ContactPinger.h"
#include "EventQueue.h"
#include "FileTransfers.h"
#include "PingThread.h"
#include "RecordFile.h"
#include "wire/Contacts.h"

class CRoster {
public:
    // All relative to the working folder.
    static const char kListPath[];
    static const char kEventsPath[];
    static const char kAwayPath[];

    CRoster();
    CRoster(const CRoster&) = delete;
    CRoster& operator=(const CRoster&) = delete;

    // Starts afresh for `bar`: the saved list (everyone offline) and the unread events.
    void Init(HWND bar);

    void Paint(HDC dc, const RECT& area);
    void Hilight(int x, int y, const RECT& area);
    bool RClick();
    void UserEvent();
    const char* GetVar(int what) const;
    void Command(WORD command);
    void Scroll(int step);
    void SetView(int view);
    // The latest news in its window; a newer one replaces the window rather than adding one.
    void ShowNews();
    HWND Balloon() const;

    bool EventIcon(char* name100, char* text300) const;
    bool DoNextEvent();
    void NewEvent(const void* record, int length);

    void StatusChange(LONG account, bool loggedIn);
    int EditAway(int status);
    void Offline();
    void SetSocket(UINT_PTR socket);
    void StartPingThread() { m_ping.Start(); }
    void StopPingThread() { m_ping.Stop(); }
    void IpInfo(const void* record);
    void InfoResult(const void* record);

private:
    void OnContact(const ContactRecord& record);
    void OnContactsEnd();
    void OnPresence(const ContactRecord& record);
    void OnRemoved(const AccountRecord& record);
    void OnMessage(const MessageRecord& record);
    void OnAddedYou(const ContactRecord& record);
    void OnNews(const char* text, size_t length);
    void OnChat(const ChatLineRecord& record);
    void OnFileOffer(const FileOfferEventRecord& record);

    void SendStatus();
    // Keeps the event and acknowledges it once it is safely on disk.
    void Keep(const CEventQueue::Event& event);
    void Acknowledge(std::uint32_t eventId);
    bool Send(WORD type, const void* data, int length);
    // Sends `type` with the clicked entry's account; a sentence for the user when offline.
    void SendAboutEntry(WORD type, const ContactRecord& entry, const char* doing);
    void SaveList();
    void Redraw() const;
    void Tell(const char* title, const std::string& text) const;
    // "Ping to the KVX server: 42 ms" as the ping thread last measured it; "" before that.
    std::string ServerPingLine() const;

    void Mail(const ContactRecord& entry);
    void Info(const ContactRecord& entry);
    void GameInfo(const ContactRecord& entry, WORD game);
    void Ping(const ContactRecord& entry, const std::string& name);

    HWND m_bar;
    UINT_PTR m_socket;
    std::int32_t m_account;
    std::uint8_t m_address[4];
    CRecordFile m_listFile;
    CRecordFile m_eventsFile;
    CRecordFile m_awayFile; // the away message as last written, so a restart keeps it
    CContactList m_list;
    CPingThread m_ping;
    CContactPinger m_pinger;
    CFileTransfers m_transfers;
    CEventQueue m_events;
    bool m_listAsked;     // CONTACTS_REQUEST sent on this connection
    UINT_PTR m_askedOn;   // the socket it went out on
    RECT m_area;          // the contact area of the last paint or hover
    int m_hilight;        // row under the pointer, -1 for none
    std::int32_t m_hover; // the entry in that row, 0 for none
    std::int32_t m_clicked;
    std::uint16_t m_clickedStatus;
    char m_clickedFlags[2];
    char m_away[kAwayField];
    std::string m_news;
    HWND m_newsWindow = nullptr;
    std::map<std::int32_t, std::string> m_emails; // from profiles seen
    std::int32_t m_infoFor;                       // the last Info request's account
    std::int32_t m_mailFor;                       // waiting for this profile to write to it
};

#endif

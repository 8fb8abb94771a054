// Recording doubles of the in-house libraries for unit tests: every call is logged as one
// line "NAME(arg, arg)", and the values the libraries would return are scripted here.
#ifndef KVX_TEST_RECORDER_H
#define KVX_TEST_RECORDER_H

#include <windows.h>

#include <string>
#include <vector>

struct LibraryScript {
    // sockio
    int lastSocketError = 0;                 // what SK_Error reports for code 0
    std::string errorText = "Test socket error text.";
    BOOL initResult = TRUE;
    // roster
    BOOL rclickResult = FALSE;
    BOOL nextEventResult = FALSE;
    int editAwayResult = 10;
    char entryFlags[2] = {0, 0}; // RL_GetVar(0, 5): the add flag first
    WORD entryStatus = 100;      // RL_GetVar(0, 10) points at it
    BOOL eventPending = FALSE;   // RL_EventIcon: an event waits, with this icon and text
    std::string eventIcon = "Msg";
    std::string eventText = "Message from 10001";
    // signon: what a finished sign-up hands back
    BOOL signupResult = FALSE;
    LONG signupAccount = 0;
    std::string signupPassword;
    // winkit
    int loopResult = 0;
};

// One packet handed to SK_WPacket.
struct SentPacket {
    UINT_PTR socket;
    WORD type;
    std::string payload;
};

class Recorder {
public:
    static Recorder& Get();

    void Reset();
    void Log(const std::string& call) { m_calls.push_back(call); }
    const std::vector<std::string>& Calls() const { return m_calls; }
    // How many logged calls start with "NAME(".
    int Count(const std::string& name) const;
    LibraryScript& Script() { return m_script; }
    void Sent(const SentPacket& packet) { m_sent.push_back(packet); }
    const std::vector<SentPacket>& SentPackets() const { return m_sent; }
    // The bytes of the last record handed to the contact list (RL_NewEvent).
    void Handed(const std::string& record) { m_handed = record; }
    const std::string& HandedRecord() const { return m_handed; }

private:
    std::vector<std::string> m_calls;
    std::vector<SentPacket> m_sent;
    std::string m_handed;
    LibraryScript m_script;
};

// AR_Icon's double hands out one solid 16 x 16 icon of this colour for every name.
const COLORREF kDoubleIconColour = RGB(255, 0, 255);

std::string Args(std::initializer_list<std::string> parts);
std::string Num(long long value);
std::string Text(const char* text);

#endif

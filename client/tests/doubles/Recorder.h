// Recording doubles of the in-house libraries for unit tests: every call is logged as one
// line "NAME(arg, arg)", and the values the libraries would return are scripted here.
#ifndef KVX_TEST_RECORDER_H
#define KVX_TEST_RECORDER_H

#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

struct LibraryScript {
    int lastSocketError = 0; // what SK_Error reports for code 0
    std::string errorText = "Test socket error text.";
    BOOL rclickResult = FALSE;   // RL_RClick: an entry is under the pointer
    int editAwayResult = 10;     // RL_EditAway
    char entryFlags[2] = {0, 0}; // RL_GetVar(0, 5): the add flag first
    WORD entryStatus = 100;      // RL_GetVar(0, 10) points at it
    BOOL eventPending = FALSE;   // RL_EventIcon: an event waits, with icon "Msg"
    BOOL signupResult = FALSE;   // SO_Signup, and the account it hands back
    LONG signupAccount = 0;
    std::string signupPassword;
};

// One packet handed to SK_WPacket.
struct SentPacket {
    WORD type;
    std::string payload;
};

class Recorder {
public:
    static Recorder& Get()
    {
        static Recorder recorder;
        return recorder;
    }
    void Reset() { *this = Recorder(); }
    void Log(const std::string& call) { m_calls.push_back(call); }
    const std::vector<std::string>& Calls() const { return m_calls; }
    // Every call since the last reset, "; " between them.
    std::string Joined() const
    {
        std::string all;
        for (const std::string& call : m_calls) all += (all.empty() ? "" : "; ") + call;
        return all;
    }
    bool Has(const std::string& call) const { return std::count(m_calls.begin(), m_calls.end(), call) > 0; }
    // How many logged calls start with "NAME(".
    int Count(const std::string& name) const
    {
        return static_cast<int>(std::count_if(m_calls.begin(), m_calls.end(),
                                              [&](const std::string& c) { return c.rfind(name + "(", 0) == 0; }));
    }
    LibraryScript& Script() { return m_script; }
    std::vector<SentPacket>& Sent() { return m_sent; }
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

// "(a, b, ...)" of the arguments, each a number or a quoted text.
std::string Args(std::initializer_list<std::string> parts);
std::string Num(long long value);
std::string Text(const char* text);

#endif

// The real client and its real libraries against a server that misbehaves on purpose
// (tools/hostile), one script a connection: whatever arrives, the bar keeps answering its
// status query and ends each script in a state it may be in; a drop while Online after all
// that arms the retry, which rejoins the real server silently; an out-dated notice answered
// Yes hands over to the updater. (Each packet's rules, the server's questions answered No
// and a peer that never answers the login: the session's unit tests; a handshake that
// stalls or fails is a failed connect: sockio's tests.)
#include "menus/CommandIds.h"
#include "records/Bar.h"
#include "support/RealClient.h"
#include "support/Wait.h"

namespace {

const char kServerMessage[] = "Message from KVX Server";

struct Scenario {
    const char* script;
    LRESULT endStatus;  // where the client must end up
    int serverMessages; // server message windows the script must open
};

const Scenario kScenarios[] = {
    {"garbage", 100, 0},         {"huge-length", 100, 0}, {"reset", 100, 0}, {"truncated-record", 100, 0},
    {"overlong-record", 100, 0}, {"split", 300, 1},       {"flood", 300, 1}, {"event-lengths", 300, 1},
    {"unterminated", 300, 1},    {"every-type", 300, 1},  {"login", 300, 0},
};

int OpenMessages()
{
    int count = 0;
    for (HWND w = FindWindowExA(nullptr, nullptr, "KVXInfo", kServerMessage); w;
         w = FindWindowExA(nullptr, w, "KVXInfo", kServerMessage))
        ++count;
    return count;
}

void CloseMessages()
{
    while (HWND w = FindWindowA("KVXInfo", kServerMessage)) {
        SendMessageTimeoutA(w, WM_CLOSE, 0, 0, SMTO_ABORTIFHUNG, 2000, nullptr);
        if (IsWindow(w)) break;
    }
}

using HostileServerTest = RealClientTest;

TEST_F(HostileServerTest, EveryScriptLeavesTheBarAnsweringThenADropRejoinsTheRealServerSilently)
{
    ASSERT_TRUE(server.Start()) << server.Log();
    WriteIni(SignUp());
    for (const Scenario& s : kScenarios) {
        SCOPED_TRACE(s.script);
        // Each script on a server of its own, so none waits behind the last one's end. The
        // first is played to the connect of the client's own start; after it, Offline ends
        // the last script's connection and the retry it armed, and the user's connect meets
        // the next script.
        server.Stop();
        ASSERT_TRUE(server.StartHostile({s.script})) << server.Log();
        if (&s == kScenarios) {
            ASSERT_NE(nullptr, Start());
        } else {
            Choose(CMD_OFFLINE);
            Choose(CMD_AVAILABLE);
        }
        if (s.serverMessages > 0) {
            EXPECT_TRUE(WaitFor([&] { return OpenMessages() == s.serverMessages; }, 60000));
        }
        EXPECT_TRUE(Becomes(s.endStatus, 15000)) << "status " << Ask(bar, BAR_QUERY_STATUS);
        EXPECT_EQ(s.serverMessages, OpenMessages());
        const SeenBox other = Box(nullptr, 0);
        EXPECT_EQ(nullptr, other.window) << other.caption << ": " << other.text;
        CloseMessages();
    }
    EXPECT_NE(0, Ask(bar, BAR_QUERY_SOCKET));
    ASSERT_TRUE(server.Stop());
    EXPECT_TRUE(Becomes(100, 5000)) << "dropped while Online";
    ASSERT_TRUE(server.Start()) << server.Log();
    EXPECT_TRUE(Becomes(300, 30000)) << "the retry finds the real server again";
    const SeenBox box = Box(nullptr, 0);
    EXPECT_EQ(nullptr, box.window) << "without asking: " << box.caption << ": " << box.text;

    // An out-dated notice answered Yes starts the updater from the client's folder and quits.
    ASSERT_TRUE(CopyFileA((DistFolder() + "\\KVXPatch.exe").c_str(), folder.File("KVXPatch.exe").c_str(), FALSE));
    ASSERT_TRUE(server.Stop());
    ASSERT_TRUE(server.StartHostile({"outdated-online"})) << server.Log();
    Choose(CMD_OFFLINE);
    Choose(CMD_AVAILABLE);
    Answer("Out-dated version.", IDYES);
    DWORD code = 1;
    EXPECT_TRUE(client.WaitForExit(10000, &code));
    EXPECT_EQ(0u, code);
    EXPECT_TRUE(WaitFor([&] { return folder.Read("KVXPatch.log").find("would download") != std::string::npos; }, 5000));
}

} // namespace

// The real client against a server that misbehaves on purpose (tools/hostile), one script a
// connection: whatever arrives, the bar keeps answering its status query and ends each
// script in a state it may be in; a drop while Online after all that arms the retry, which
// rejoins the real server silently; an out-dated notice answered Yes hands over to the
// updater.
#include "menus/CommandIds.h"
#include "records/Bar.h"
#include "support/RealClient.h"
#include "support/Wait.h"

namespace {

const char kServerMessage[] = "Message from KVX Server";

struct Scenario {
    const char* script;
    LRESULT endStatus;        // where the client must end up
    int serverMessages;       // server message windows the script must open
    const char* question;     // the box the script raises, answered No
    const char* options = ""; // the hostile server's own
};

const Scenario kScenarios[] = {
    {"garbage", 100, 0, nullptr},
    {"huge-length", 100, 0, nullptr},
    {"reset", 100, 0, nullptr},
    {"truncated-record", 100, 0, nullptr},
    {"overlong-record", 100, 0, nullptr},
    {"split", 300, 1, nullptr},
    // Its server leaves the ping unanswered: the next Offline must still stop the ping thread at once.
    {"login", 300, 0, nullptr, "--no-udp"},
    {"flood", 300, 1, nullptr},
    {"event-lengths", 300, 1, nullptr},
    {"unterminated", 300, 1, nullptr},
    {"every-type", 300, 1, nullptr},
    {"refused-online", 100, 0, "Login Error"},
    {"outdated-online", 100, 0, "Out-dated version."},
    {"silent", 200, 0, nullptr},
    {"login", 300, 0, nullptr},
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
        ASSERT_TRUE(server.StartHostile({s.script}, s.options)) << server.Log();
        if (&s == kScenarios) {
            ASSERT_NE(nullptr, Start());
        } else {
            Choose(CMD_OFFLINE);
            Choose(CMD_AVAILABLE);
        }
        ASSERT_TRUE(!s.question || Answer(s.question, IDNO).window);
        if (s.serverMessages > 0) {
            EXPECT_TRUE(WaitFor([&] { return OpenMessages() == s.serverMessages; }, 60000));
        }
        EXPECT_TRUE(Becomes(s.endStatus, 15000)) << "status " << Ask(bar, BAR_QUERY_STATUS);
        if (s.endStatus == 200) {
            Sleep(3000);
            EXPECT_EQ(200, Ask(bar, BAR_QUERY_STATUS)) << "a silent peer keeps it connecting";
            EXPECT_EQ(0, Ask(bar, BAR_QUERY_SOCKET)) << "and the socket is not handed out";
        }
        EXPECT_EQ(s.serverMessages, OpenMessages()) << "nothing behind a question is read";
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

// A handshake that stalls or fails is a failed connect: silent at start, named in the socket
// error box once the user asked to connect.
TEST_F(HostileServerTest, AStalledOrFailedHandshakeIsAConnectFailureNamedOnlyWhenTheUserAsked)
{
    ASSERT_TRUE(server.Start()) << server.Log();
    WriteIni(SignUp());
    ASSERT_TRUE(server.Stop());
    ASSERT_TRUE(server.StartHostile({"stall-handshake", "garbage-handshake"})) << server.Log();
    ASSERT_NE(nullptr, Start());
    EXPECT_TRUE(Becomes(200, 5000)) << "connecting while the handshake stalls";
    EXPECT_TRUE(Becomes(100, 20000)) << "status " << Ask(bar, BAR_QUERY_STATUS);
    EXPECT_TRUE(NoBoxFor(500)) << "silent at start";
    Choose(CMD_OFFLINE);
    Choose(CMD_AVAILABLE);
    EXPECT_NE(std::string::npos, Answer("KVX Winsock Error", IDOK).text.find("TLS"));
    EXPECT_EQ(100, Ask(bar, BAR_QUERY_STATUS));
}

} // namespace

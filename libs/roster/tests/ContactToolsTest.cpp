// The contact library's own tools, the stand-in bar's far end playing the server: the ping
// thread's round trip to the server, contact pings timed or answered unseen, and offered
// files fetched and kept only whole, in order and matching, under a name of their own.
#include <tuple>
#include <utility>

#include "RosterFixture.h"
#include "support/Wait.h"
#include "wire/Sha256.h"
#include "wire/Transfers.h"

namespace {

const WORD kPing = 24; // the contact menu's command

// The next datagram within `ms`, answered as the server answers a ping after `delayMs`;
// false when no ping came.
bool AnswerPing(SOCKET udp, DWORD ms, DWORD delayMs)
{
    char datagram[64];
    sockaddr_in from = {};
    int size = sizeof from;
    setsockopt(udp, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&ms), sizeof ms);
    if (recvfrom(udp, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&from), &size) != 12 ||
        *reinterpret_cast<WORD*>(datagram) != PKT_SERVER_PING)
        return false;
    Sleep(delayMs);
    *reinterpret_cast<WORD*>(datagram) = PKT_SERVER_PONG;
    return sendto(udp, datagram, 12, 0, reinterpret_cast<sockaddr*>(&from), size) == 12;
}

class ContactToolsTest : public RosterFixture {
protected:
    ContactToolsTest() { LogIn({Entry(31, "Medic", 300), Entry(32, "Olly", 100)}); }

    // The balloon over the list's first empty row: the user's round trip to the server, or "".
    std::string EmptyRowBalloon()
    {
        RL_Hilight(kArea.left + 40, kArea.top + 2 * 16 + 8, kArea);
        const HWND balloon = RL_Balloon();
        const std::string text = balloon ? WindowText(balloon) : "";
        if (balloon) DestroyWindow(balloon);
        return text;
    }
    // The title of the information window that comes up within `ms`, closed; "" for none.
    static std::string Shown(DWORD ms = 3000)
    {
        const HWND window = WaitForWindow("KVXInfo", nullptr, ms);
        const std::string title = window ? WindowText(window) : "";
        if (window) DestroyWindow(window);
        return title;
    }
};

TEST_F(ContactToolsTest, ThePingThreadTimesTheServersAnswerUntilStopped)
{
    sockaddr_in server = {}; // the bar's server end, whose UDP port the ping thread pings
    int size = sizeof server;
    getpeername(static_cast<SOCKET>(bar.Socket()), reinterpret_cast<sockaddr*>(&server), &size);
    const SOCKET udp = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    bind(udp, reinterpret_cast<sockaddr*>(&server), size);
    EXPECT_EQ("", EmptyRowBalloon()) << "nothing measured yet";
    RL_StartPingThread(); // the server is known from the login: measured at once
    ASSERT_TRUE(AnswerPing(udp, 3000, 60));
    std::string shown;
    EXPECT_TRUE(WaitFor([&] { return !(shown = EmptyRowBalloon()).empty(); }, 3000));
    const int ms = atoi(shown.c_str() + strlen("Ping to the KVX server: "));
    EXPECT_TRUE(shown.find("Ping to the KVX server: ") == 0 && ms >= 60 && ms < 1000) << shown;
    RL_StopPingThread();
    RL_RefreshIP(bar.Socket()); // a new server, which a running thread would measure at once
    EXPECT_FALSE(AnswerPing(udp, 500, 0)) << "no thread, no ping";
    EXPECT_EQ("", EmptyRowBalloon()) << "a stopped thread's figure is not shown";
    closesocket(udp);
}

TEST_F(ContactToolsTest, AContactPingShowsItsTimeOrWhyNotAndOthersPingsAreAnsweredUnseen)
{
    Click(1);
    RL_RCommand(kPing);
    EXPECT_EQ("Olly: offline", Shown()) << "at once, from the list";
    EXPECT_TRUE(bar.Quiet());
    // The server's answer (none: no answer at all), after how long, and how the title starts.
    const std::tuple<bool, WORD, DWORD, const char*> cases[] = {
        {true, PING_ANSWERED, 80, "Medic: "},
        {true, PING_OFFLINE, 0, "Medic: offline"},
        {false, 0, 0, "Medic: no answer in 5 s"},
    };
    PACKET_DATA packet;
    for (const auto& [answered, result, delayMs, start] : cases) {
        Click(0);
        RL_RCommand(kPing);
        ASSERT_TRUE(bar.Next(PKT_CONTACT_PING, &packet)) << start;
        const PingRecord ping = Payload<PingRecord>(packet);
        EXPECT_EQ(31, ping.to);
        Sleep(delayMs);
        for (const std::uint32_t tag : {ping.tag + 100, ping.tag}) { // first another's, not ours
            const PingRecord reply = {kAccount, 31, tag, tag == ping.tag ? result : PING_OFFLINE, 0};
            if (answered) Event(EVENT_PING_REPLY, &reply, sizeof reply);
        }
        const std::string title = Shown(6000);
        EXPECT_EQ(0u, title.find(start)) << title;
        EXPECT_TRUE(!delayMs || atoi(title.c_str() + strlen(start)) >= 80) << title;
    }
    const PingRecord incoming = {kAccount, 31, 9, 0, 0};
    Event(EVENT_PING, &incoming, sizeof incoming);
    ASSERT_TRUE(bar.Next(PKT_PING_REPLY, &packet));
    EXPECT_TRUE(Payload<PingRecord>(packet).to == 31 && Payload<PingRecord>(packet).tag == 9u);
    EXPECT_EQ("", Shown(300)) << "the user is not disturbed";
}

TEST_F(ContactToolsTest, AFetchedFileIsKeptOnlyWholeInOrderAndMatchingUnderAFreePlainName)
{
    const std::string bytes(3000, 'q');
    CreateDirectoryA("Downloads", nullptr);
    folder.Write("Downloads\\map.bsp", "mine");
    using Pieces = std::vector<std::pair<std::uint64_t, std::uint64_t>>;
    // The offer, the user's answer, the pieces the server sends (of the offered bytes, or of
    // others), then what the library sends the server and the file it keeps.
    const std::tuple<std::uint32_t, const char*, int, char, Pieces, WORD, const char*> cases[] = {
        {5, "map.bsp", IDYES, 'q', {{0, 3000}}, PKT_FILE_DONE, "Downloads\\map (2).bsp"},
        {6, "map.bsp", IDYES, 'q', {{0, 992}, {2000, 2992}}, 0, nullptr},
        {7, "map.bsp", IDYES, 'x', {{0, 3000}}, 0, nullptr},
        {8, "..\\evil.bsp", IDYES, 0, {}, PKT_FILE_DROP, nullptr},
        {9, "map.bsp", IDNO, 0, {}, PKT_FILE_DROP, nullptr},
    };
    for (const auto& [id, name, button, fill, pieces, told, kept] : cases) {
        FileOfferEventRecord offer = {id, 31, bytes.size(), {}, 0, 0, "Lag Monster", {}};
        kvxwire::Sha256 sha;
        sha.Add(bytes.data(), bytes.size());
        memcpy(offer.sha256, sha.Finish().data(), sizeof offer.sha256);
        lstrcpynA(offer.name, name, sizeof offer.name);
        Event(EVENT_FILE_OFFER, &offer, sizeof offer);
        EXPECT_EQ("file: Lag Monster offers " + std::string(name) + ", 2 KB", Blink());
        DriveDialog(
            "KVX File", [] { EXPECT_TRUE(RL_DoNextEvent()); },
            [&, button = button](HWND box) { PressButton(box, button); });
        PACKET_DATA packet;
        EXPECT_TRUE(pieces.empty() || (bar.Next(PKT_FILE_GET, &packet) && Payload<FileGetRecord>(packet).offset == 0));
        const std::string sent(bytes.size(), fill);
        for (const auto& [from, to] : pieces)
            for (std::uint64_t at = from; at < to; at += kMaxDownloadChunk) {
                const FileChunkHead head = {id, std::uint16_t(std::min<std::uint64_t>(kMaxDownloadChunk, to - at)), 0,
                                            at};
                const std::string data =
                    std::string(reinterpret_cast<const char*>(&head), sizeof head) + sent.substr(at, head.length);
                Event(EVENT_FILE_CHUNK, data.data(), data.size());
            }
        EXPECT_TRUE(told ? bar.Next(told, &packet) && Payload<FileIdRecord>(packet).id == id
                         : WaitForWindow("KVXInfo", "Receive File") != nullptr)
            << id;
        EXPECT_TRUE(!kept || folder.Read(kept) == bytes) << id;
        EXPECT_FALSE(folder.Exists("Downloads\\" + std::to_string(id) + ".kvxpart") ||
                     folder.Exists("Downloads\\map (3).bsp"))
            << id;
        CloseWindows("KVXInfo");
    }
    EXPECT_EQ("mine", folder.Read("Downloads\\map.bsp"));
}

} // namespace

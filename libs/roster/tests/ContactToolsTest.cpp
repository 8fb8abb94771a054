// The contact library's own tools: the away message kept across a restart, the ping thread's
// round trip to the server, contact pings answered and timed, and files offered, fetched and
// refused, against the bench's loopback far end playing the server.
#include <gtest/gtest.h>

#include <string.h>

#include <thread>

#include "RosterBench.h"
#include "support/MessageBoxes.h"
#include "support/Wait.h"
#include "wire/Sha256.h"
#include "wire/Transfers.h"
#include "roster/RosterIds.h"
#include "roster/roster.h"
#include "wire/Packets.h"

namespace {

// Fills the away dialog when it comes up and presses OK.
std::thread AnswerAway(const char* text)
{
    return std::thread([text] {
        HWND dialog = nullptr;
        for (int i = 0; i < 300 && !dialog; ++i, Sleep(10)) dialog = FindWindowA("#32770", AWAY_CAPTION);
        if (!dialog) return;
        SetDlgItemTextA(dialog, IDC_AWAY_TEXT, text);
        PostMessageA(dialog, WM_COMMAND, IDOK, 0);
    });
}

template <typename Record> Record PayloadAs(const PACKET_DATA& packet)
{
    Record record = {};
    memcpy(&record, packet.payload, sizeof record);
    return record;
}

// A UDP socket on the address and port of the bench's server end, where the ping thread
// sends its pings.
SOCKET ServerPingSocket(const RosterBench& bench)
{
    sockaddr_in server = {};
    int size = sizeof server;
    getpeername(static_cast<SOCKET>(bench.ClientSocket()), reinterpret_cast<sockaddr*>(&server), &size);
    SOCKET udp = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    bind(udp, reinterpret_cast<sockaddr*>(&server), size);
    return udp;
}

// The next datagram within `ms`, answered as the server answers a ping after `delayMs`;
// false when none came.
bool AnswerPing(SOCKET udp, DWORD ms, DWORD delayMs)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(udp, &readable);
    timeval wait = {static_cast<long>(ms / 1000), static_cast<long>(ms % 1000) * 1000};
    if (select(0, &readable, nullptr, nullptr, &wait) != 1) return false;
    char datagram[64];
    sockaddr_in from = {};
    int size = sizeof from;
    const int got = recvfrom(udp, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&from), &size);
    if (got != 12 || *reinterpret_cast<WORD*>(datagram) != PKT_SERVER_PING) return false;
    Sleep(delayMs);
    *reinterpret_cast<WORD*>(datagram) = PKT_SERVER_PONG;
    sendto(udp, datagram, got, 0, reinterpret_cast<sockaddr*>(&from), size);
    return true;
}

// The list's balloon over its first row (empty in these tests), or "" when none came up.
std::string EmptyRowBalloon(const RosterBench& bench)
{
    RL_Hilight(40, bench.Area().top + 8, bench.Area());
    HWND balloon = RL_Balloon();
    const std::string text = balloon ? TextOf(balloon) : std::string();
    if (balloon) DestroyWindow(balloon);
    return text;
}

class ContactToolsTest : public ::testing::Test {
protected:
    void SetUp() override { m_bench.LogIn(); }

    RosterBench m_bench;
};

TEST_F(ContactToolsTest, TheAwayMessageSurvivesARestartOfTheLibrary)
{
    std::thread driver = AnswerAway("gone fishing");
    EXPECT_EQ(10, RL_EditAway(400));
    driver.join();
    RL_Init(m_bench.Bar()); // what the next start of the client does
    m_bench.status = 400;
    m_bench.LogIn();
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_STATUS, &packet));
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_STATUS, &packet)) << "the second status, after the restart";
    EXPECT_EQ("gone fishing", Field(PayloadAs<StatusRecord>(packet).away, kAwayField));
}

TEST_F(ContactToolsTest, ThePingThreadTimesTheServersAnswerAndIsGoneOnceStopped)
{
    SOCKET udp = ServerPingSocket(m_bench);
    EXPECT_EQ("", EmptyRowBalloon(m_bench)) << "nothing measured yet";
    RL_StartPingThread(); // the server is known from the login: measured at once
    ASSERT_TRUE(AnswerPing(udp, 3000, 60));
    std::string shown;
    EXPECT_TRUE(Eventually([&] { return !(shown = EmptyRowBalloon(m_bench)).empty(); }));
    ASSERT_EQ(0u, shown.find("Ping to the KVX server: ")) << shown;
    const int ms = atoi(shown.c_str() + strlen("Ping to the KVX server: "));
    EXPECT_GE(ms, 60);
    EXPECT_LT(ms, 1000);

    RL_StopPingThread();
    RL_RefreshIP(m_bench.ClientSocket()); // would be measured at once by a running thread
    EXPECT_FALSE(AnswerPing(udp, 500, 0)) << "no thread, no ping";
    EXPECT_EQ("", EmptyRowBalloon(m_bench)) << "a stopped thread's figure is not shown";
    closesocket(udp);
}

TEST_F(ContactToolsTest, AContactPingIsTimedOrSaysWhyNotAndOthersPingsAreAnsweredUnseen)
{
    const WORD kPing = 24;
    PACKET_DATA packet;
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_CONTACTS_REQUEST, &packet));
    RosterBench::Contact(31, "Medic", 300);
    RosterBench::Contact(32, "Olly", 100);
    RosterBench::ListEnd();

    ASSERT_TRUE(m_bench.Click(1));
    RL_RCommand(kPing);
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Olly: offline") != nullptr) << "at once, from the list";
    EXPECT_TRUE(m_bench.Quiet());

    struct Case {
        const char* what;
        WORD answerKind; // 0: no answer at all
        WORD result;
        DWORD delayMs;
        const char* title; // how the window's title starts
    };
    const Case cases[] = {
        {"answered", EVENT_PING_REPLY, PING_ANSWERED, 80, "Medic: "},
        {"offline by the server", EVENT_PING_REPLY, PING_OFFLINE, 0, "Medic: offline"},
        {"unanswered", 0, 0, 0, "Medic: no answer in 5 s"},
    };
    for (const Case& c : cases) {
        CloseAll("KVXInfo");
        ASSERT_TRUE(m_bench.Click(0));
        RL_RCommand(kPing);
        ASSERT_TRUE(m_bench.ReadFrameOf(PKT_CONTACT_PING, &packet)) << c.what;
        PingRecord ping = PayloadAs<PingRecord>(packet);
        EXPECT_EQ(31, ping.to) << c.what;
        Sleep(c.delayMs);
        if (c.answerKind) {
            const PingRecord reply = {RosterBench::kAccount, 31, ping.tag, c.result, 0};
            const PingRecord stale = {RosterBench::kAccount, 31, ping.tag + 100, PING_OFFLINE, 0};
            RosterBench::Event(c.answerKind, &stale, sizeof stale, 31); // not a ping of ours
            RosterBench::Event(c.answerKind, &reply, sizeof reply, 31);
        }
        HWND shown = nullptr;
        WaitFor([&] { return (shown = FindWindowA("KVXInfo", nullptr)) != nullptr; }, 6000);
        ASSERT_TRUE(shown != nullptr) << c.what;
        const std::string title = TextOf(shown);
        EXPECT_EQ(0u, title.find(c.title)) << c.what << ": " << title;
        if (c.delayMs) {
            EXPECT_GE(atoi(title.c_str() + strlen(c.title)), 80) << title;
        }
    }

    CloseAll("KVXInfo");
    const PingRecord incoming = {RosterBench::kAccount, 31, 9, 0, 0};
    RosterBench::Event(EVENT_PING, &incoming, sizeof incoming, 31);
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_PING_REPLY, &packet));
    EXPECT_EQ(31, PayloadAs<PingRecord>(packet).to);
    EXPECT_EQ(9u, PayloadAs<PingRecord>(packet).tag);
    EXPECT_EQ(nullptr, FindWindowA("KVXInfo", nullptr)) << "the user is not disturbed";
}

// An offer of `bytes` as the server sends it, queued as the next event.
FileOfferEventRecord Offered(std::uint32_t id, const char* name, const std::string& bytes)
{
    FileOfferEventRecord offer = {};
    offer.id = id;
    offer.from = 31;
    offer.size = bytes.size();
    kvxwire::Sha256 sha;
    sha.Add(bytes.data(), bytes.size());
    const kvxwire::Sha256::Digest digest = sha.Finish();
    memcpy(offer.sha256, digest.data(), digest.size());
    lstrcpynA(offer.nickname, "Lag Monster", sizeof offer.nickname);
    lstrcpynA(offer.name, name, sizeof offer.name);
    RosterBench::Event(EVENT_FILE_OFFER, &offer, sizeof offer, 31);
    return offer;
}

// Opens the next event, answering its box with `button`.
void Answer(int button)
{
    std::thread hand([button] {
        const SeenBox box = FindMessageBox(GetCurrentProcessId(), "KVX File", 3000);
        if (box.window) PressButton(box.window, button);
    });
    EXPECT_TRUE(RL_DoNextEvent());
    hand.join();
}

void Chunk(std::uint32_t id, const std::string& bytes, std::uint64_t offset, std::size_t length)
{
    std::string data(sizeof(FileChunkHead), '\0');
    const FileChunkHead head = {id, static_cast<std::uint16_t>(length), 0, offset};
    memcpy(&data[0], &head, sizeof head);
    data += bytes.substr(offset, length);
    RosterBench::Event(EVENT_FILE_CHUNK, data.data(), data.size(), 31);
}

void AllChunks(std::uint32_t id, const std::string& bytes)
{
    for (std::uint64_t at = 0; at < bytes.size(); at += kMaxDownloadChunk)
        Chunk(id, bytes, at, std::min<size_t>(kMaxDownloadChunk, bytes.size() - at));
}

TEST_F(ContactToolsTest, AReceivedFileIsKeptOnlyWholeInOrderUnderAFreeNameAndUnderAPlainOne)
{
    const ScratchFolder& folder = m_bench.Folder();
    const std::string bytes(3000, 'q');
    CreateDirectoryA(folder.File("Downloads").c_str(), nullptr);
    folder.Write("Downloads\\map.bsp", "mine");
    PACKET_DATA packet;
    Offered(5, "map.bsp", bytes);
    char icon[100] = "", text[300] = "";
    EXPECT_TRUE(RL_EventIcon(0, icon, text));
    EXPECT_STREQ("Lag Monster offers map.bsp, 2 KB", text);

    // Bytes out of order end it, with nothing kept.
    Answer(IDYES);
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_FILE_GET, &packet));
    EXPECT_EQ(0u, PayloadAs<FileGetRecord>(packet).offset);
    Chunk(5, bytes, 0, 992);
    Chunk(5, bytes, 2000, 992);
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Receive File") != nullptr);
    CloseAll("KVXInfo");
    EXPECT_FALSE(folder.Exists("Downloads\\5.kvxpart"));

    // Offered again: whole and matching, it takes a free name beside the user's own file.
    Offered(5, "map.bsp", bytes);
    Answer(IDYES);
    AllChunks(5, bytes);
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_FILE_DONE, &packet));
    EXPECT_EQ(5u, PayloadAs<FileIdRecord>(packet).id);
    EXPECT_TRUE(folder.Read("Downloads\\map (2).bsp") == bytes);
    EXPECT_EQ("mine", folder.Read("Downloads\\map.bsp"));
    CloseAll("KVXInfo");

    // A name that is a path, or one whose bytes do not match, is dropped or not kept.
    Offered(6, "..\\evil.bsp", bytes);
    Answer(IDYES);
    ASSERT_TRUE(m_bench.ReadFrameOf(PKT_FILE_DROP, &packet));
    EXPECT_EQ(6u, PayloadAs<FileIdRecord>(packet).id);
    CloseAll("KVXInfo");
    Offered(7, "swapped.bsp", bytes);
    Answer(IDYES);
    AllChunks(7, std::string(bytes.size(), 'x'));
    EXPECT_TRUE(WaitForWindow("KVXInfo", "Receive File") != nullptr);
    EXPECT_FALSE(folder.Exists("Downloads\\swapped.bsp"));
    EXPECT_FALSE(folder.Exists("Downloads\\7.kvxpart"));
}

} // namespace

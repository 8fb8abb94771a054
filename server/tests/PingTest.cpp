// Pings through the server: a UDP ping frame to the server's port comes straight back as a
// pong (the client's own round trip), and contact pings are relayed to every session of an
// online contact, answered back to the pinger, or answered "offline" at once.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <vector>

#include "support/ContactClient.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"
#include "wire/Frame.h"

namespace {

// Sends the datagrams to the server's UDP port in turn; the first answer, or empty after 1 s.
std::vector<std::uint8_t> FirstAnswer(std::uint16_t port, const std::vector<std::vector<std::uint8_t>>& datagrams)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    for (const std::vector<std::uint8_t>& bytes : datagrams) {
        sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&server), sizeof server);
    }
    pollfd wait{fd, POLLIN, 0};
    std::vector<std::uint8_t> answer(kvxwire::kMaxFrame);
    const ssize_t got = poll(&wait, 1, 1000) == 1 ? recv(fd, answer.data(), answer.size(), 0) : 0;
    answer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    close(fd);
    return answer;
}

std::vector<std::uint8_t> FrameOf(std::uint16_t type, std::size_t length)
{
    std::vector<std::uint8_t> frame(kvxwire::kHeaderSize + length, 0x5a);
    kvxwire::WriteU16(frame.data(), type);
    kvxwire::WriteU16(frame.data() + 2, static_cast<std::uint16_t>(length));
    return frame;
}

} // namespace

TEST(ServerPing, AnswersExactlyOnePingFrameWithTheSameBytesRetyped)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ASSERT_NE(server.port(), 0);
    std::vector<std::uint8_t> trailing = FrameOf(PKT_SERVER_PING, sizeof(PingStamp));
    trailing.push_back(0);
    std::vector<std::uint8_t> ping = FrameOf(PKT_SERVER_PING, sizeof(PingStamp));
    ping.back() = 0x77;
    std::vector<std::uint8_t> pong = ping;
    kvxwire::WriteU16(pong.data(), PKT_SERVER_PONG);
    // Only the last is a ping: the first answer must be its pong.
    EXPECT_EQ(FirstAnswer(server.port(), {FrameOf(PKT_KEEP_ALIVE, sizeof(PingStamp)),
                                          FrameOf(PKT_SERVER_PING, 4),
                                          FrameOf(PKT_SERVER_PING, 1000),
                                          trailing,
                                          {0x24, 0x04},
                                          ping}),
              pong);
}

TEST(ContactPing, ReachesEverySessionComesBackFromTheAnswererAndIsAnsweredForTheOffline)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), "Ann");
    ContactClient bob(server.port(), "Bob");
    ContactClient bobAgain(server.port(), bob.account(), "pw");
    const std::int32_t gone = ContactClient(server.port(), "Gone").account();
    ASSERT_TRUE(ann.LoggedIn() && bob.LoggedIn() && bobAgain.LoggedIn());

    const PingRecord ping{bob.account(), 0, 42, 0, 0};
    ASSERT_TRUE(ann.wire().Send(PKT_CONTACT_PING, &ping, sizeof ping));
    for (ContactClient* session : {&bob, &bobAgain}) {
        const PingRecord arrived = session->WaitEvent(EVENT_PING, ann.account()).As<PingRecord>();
        EXPECT_EQ(arrived.from, ann.account());
        EXPECT_EQ(arrived.tag, 42u);
    }
    const PingRecord answer{ann.account(), 0, 42, 7, 0};
    ASSERT_TRUE(bob.wire().Send(PKT_PING_REPLY, &answer, sizeof answer));
    const PingRecord back = ann.WaitEvent(EVENT_PING_REPLY, bob.account()).As<PingRecord>();
    EXPECT_EQ(back.from, bob.account());
    EXPECT_EQ(back.tag, 42u);
    EXPECT_EQ(back.result, PING_ANSWERED) << "the server sets the result, not the answerer";

    const PingRecord toGone{gone, 0, 9, 0, 0};
    ASSERT_TRUE(ann.wire().Send(PKT_CONTACT_PING, &toGone, sizeof toGone));
    const PingRecord offline = ann.WaitEvent(EVENT_PING_REPLY, gone).As<PingRecord>();
    EXPECT_EQ(offline.tag, 9u);
    EXPECT_EQ(offline.result, PING_OFFLINE);

    for (std::int32_t nobody : {ann.account(), gone + 1000, 5}) {
        const PingRecord pointless{nobody, 0, 1, 0, 0};
        ASSERT_TRUE(ann.wire().Send(PKT_CONTACT_PING, &pointless, sizeof pointless));
    }
    EXPECT_TRUE(ann.Settle().empty()) << "oneself, unknown accounts and reserved numbers get nothing";
}

// Pings through the server: one UDP ping frame to the server's port comes straight back as a
// pong (the client's own round trip); a contact ping is relayed to every session of an online
// contact and its answer back to the pinger, or answered "offline" at once.
#include <arpa/inet.h>

#include "support/ServerTest.h"

namespace {

// Sends the datagrams to the server's UDP port in turn: the first answer, or empty after 1 s.
std::vector<std::uint8_t> FirstAnswer(std::uint16_t port, const std::vector<std::vector<std::uint8_t>>& datagrams)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in server{};
    server.sin_family = AF_INET;
    server.sin_port = htons(port);
    inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    for (const std::vector<std::uint8_t>& bytes : datagrams)
        sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&server), sizeof server);
    const timeval second{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &second, sizeof second);
    std::vector<std::uint8_t> answer(kvxwire::kMaxFrame);
    const ssize_t got = recv(fd, answer.data(), answer.size(), 0);
    answer.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
    close(fd);
    return answer;
}

std::vector<std::uint8_t> FrameOf(std::uint16_t type, std::size_t length, std::uint8_t last = 0x5a)
{
    std::vector<std::uint8_t> frame(kvxwire::kHeaderSize + length, 0x5a);
    kvxwire::WriteU16(frame.data(), type);
    kvxwire::WriteU16(frame.data() + 2, static_cast<std::uint16_t>(length));
    frame.back() = last;
    return frame;
}

} // namespace

using Pings = ServerTest;

TEST_F(Pings, TheUdpPortAnswersExactlyOnePingFrameWithItsOwnBytes)
{
    Start();
    std::vector<std::uint8_t> trailing = FrameOf(PKT_SERVER_PING, sizeof(PingStamp));
    trailing.push_back(0);
    // Only the last is a ping: the first answer must be its pong.
    EXPECT_EQ(FirstAnswer(port(), {FrameOf(PKT_KEEP_ALIVE, sizeof(PingStamp)),
                                   FrameOf(PKT_SERVER_PING, 4),
                                   FrameOf(PKT_SERVER_PING, 1000),
                                   trailing,
                                   {0x24, 0x04},
                                   FrameOf(PKT_SERVER_PING, sizeof(PingStamp), 0x77)}),
              FrameOf(PKT_SERVER_PONG, sizeof(PingStamp), 0x77));
}

TEST_F(Pings, AContactPingReachesEverySessionAndIsAnsweredByTheContactOrForTheOffline)
{
    Start();
    Client ann(port(), "Ann"), bob(port(), "Bob");
    Client bobAgain(port(), bob.account());
    const std::int32_t gone = Client(port(), "Gone").account();
    ann.Put(PKT_CONTACT_PING, PingRecord{bob.account(), 0, 42, 0, 0});
    for (Client* session : {&bob, &bobAgain})
        EXPECT_EQ(session->WaitEvent(EVENT_PING, ann.account()).As<PingRecord>().tag, 42u);
    bob.Put(PKT_PING_REPLY, PingRecord{ann.account(), 0, 42, PING_OFFLINE, 0});
    const PingRecord back = ann.WaitEvent(EVENT_PING_REPLY, bob.account()).As<PingRecord>();
    EXPECT_TRUE(back.tag == 42 && back.result == PING_ANSWERED) << "the server sets the result, not the answerer";
    for (const std::int32_t to : {gone, ann.account(), gone + 1000, 5})
        ann.Put(PKT_CONTACT_PING, PingRecord{to, 0, std::uint32_t(to), 0, 0});
    const std::vector<Event> answers = ann.Settle();
    ASSERT_EQ(answers.size(), 1u) << "oneself, unknown accounts and reserved numbers get nothing";
    EXPECT_EQ(answers[0].from, gone);
    EXPECT_EQ(answers[0].As<PingRecord>().tag, std::uint32_t(gone));
    EXPECT_EQ(answers[0].As<PingRecord>().result, PING_OFFLINE);
}

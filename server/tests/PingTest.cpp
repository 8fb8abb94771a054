// Pings through the server: one UDP ping frame to the server's port comes straight back as a
// pong (the client's own round trip); a contact ping is relayed to every session of an online
// contact and its answer back to the pinger, or answered "offline" at once.
#include <arpa/inet.h>

#include "support/ServerTest.h"

namespace {

// Sends the datagrams to the server's UDP port in turn: the first answer, or empty after 1 s.
std::string FirstAnswer(std::uint16_t port, const std::vector<std::string>& datagrams)
{
    const int fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in server{AF_INET, htons(port), {}, {}};
    inet_pton(AF_INET, "127.0.0.1", &server.sin_addr);
    for (const std::string& bytes : datagrams)
        sendto(fd, bytes.data(), bytes.size(), 0, reinterpret_cast<sockaddr*>(&server), sizeof server);
    const timeval second{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &second, sizeof second);
    char answer[kvxwire::kMaxFrame];
    const ssize_t got = recv(fd, answer, sizeof answer, 0);
    close(fd);
    return std::string(answer, got > 0 ? static_cast<std::size_t>(got) : 0);
}

// A frame of `length` bytes of 'Z' but the last.
std::string FrameOf(std::uint16_t type, std::size_t length, char last = 'Z')
{
    return Frame(type, std::string(length - 1, 'Z') + last);
}

} // namespace

using Pings = ServerTest;

TEST_F(Pings, TheUdpPortAnswersOnePingFrameAndAContactPingReachesEverySessionOrIsAnsweredForTheOffline)
{
    Start();
    // Only the last is a ping: the first answer must be its pong.
    EXPECT_EQ(FirstAnswer(port(), {FrameOf(PKT_KEEP_ALIVE, sizeof(PingStamp)), FrameOf(PKT_SERVER_PING, 4),
                                   FrameOf(PKT_SERVER_PING, 1000), FrameOf(PKT_SERVER_PING, sizeof(PingStamp)) + '\0',
                                   std::string("\x24\x04"), FrameOf(PKT_SERVER_PING, sizeof(PingStamp), 'w')}),
              FrameOf(PKT_SERVER_PONG, sizeof(PingStamp), 'w'));

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

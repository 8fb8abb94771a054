// What the server does not put up with: input no real client sends, silence, too many
// connections, password guessing and sign-up floods. Each ends only the offender's
// connection or attempt, and everyone else goes on being served.
#include <unistd.h>

#include <memory>

#include "core/RateLimiter.h"
#include "support/ServerTest.h"

using Limits = ServerTest;

TEST_F(Limits, HostileInputDropsItsOwnConnectionOnlyAndFailedLoginsLockTheAccountOrTheAddressAtTheirLimit)
{
    Start({"--login-failures-per-account", "3", "--login-failures-per-address", "3"});
    Client bystander(port(), "Calm");
    const std::uint8_t zeros[kvxwire::kMaxPayload] = {};
    // state: 0 connected, 1 versioned, 2 logged in; a keep-alive after the first keepAliveAfter frames
    const struct {
        const char* what;
        int state, type, length, count, keepAliveAfter;
        bool dropped;
    } cases[] = {
        {"a header claiming a payload over 2044 bytes", 0, PKT_VERSION, 2045, 1, 0, true},
        {"a whole frame of 2044 bytes of an unknown type", 0, 4242, 2044, 1, 0, false},
        {"a short version", 0, PKT_VERSION, 3, 1, 0, true},
        {"a login before the version", 0, PKT_LOGIN, sizeof(LoginRecord), 1, 0, true},
        {"a sign-up before the version", 0, PKT_SIGNUP_REQUEST, sizeof(SignupRequestRecord), 1, 0, true},
        {"a short login", 1, PKT_LOGIN, sizeof(LoginRecord) - 1, 1, 0, true},
        {"a short sign-up", 1, PKT_SIGNUP_REQUEST, sizeof(SignupRequestRecord) - 1, 1, 0, true},
        {"100 packets of an unknown type", 0, 4242, 0, 100, 0, false},
        {"101 packets of an unknown type", 0, 4242, 0, 101, 0, true},
        {"100 requests before login, a keep-alive, 100 more", 0, PKT_CONTACTS_REQUEST, 0, 200, 100, false},
        {"101 short contact packets", 2, PKT_CONTACT_ADD, 1, 101, 0, true},
    };
    for (const auto& c : cases) {
        WirePeer attacker(port());
        if (c.state >= 1) ASSERT_EQ(attacker.Version(BUILD_NUMBER), PKT_VERSION_OK) << c.what;
        if (c.state == 2) ASSERT_EQ(attacker.Login(bystander.account(), "pw"), PKT_LOGIN_OK) << c.what;
        const std::uint8_t header[] = {std::uint8_t(c.type), std::uint8_t(c.type >> 8), std::uint8_t(c.length),
                                       std::uint8_t(c.length >> 8)}; // for a frame that can never be
        for (int i = 0; i < c.count; ++i) {
            if (i > 0 && i == c.keepAliveAfter) attacker.Send(PKT_KEEP_ALIVE);
            if (c.length > 2044) attacker.SendRaw(header, sizeof header);
            else attacker.Send(std::uint16_t(c.type), zeros, std::size_t(c.length));
        }
        if (c.dropped) EXPECT_TRUE(attacker.ClosedWithin(5000)) << c.what;
        else EXPECT_EQ(attacker.Version(BUILD_NUMBER), PKT_VERSION_OK) << c.what; // still served
    }
    bystander.Send(PKT_LIBRARY_REQUEST);
    EXPECT_EQ(bystander.Receive().type, PKT_IP_INFO);
    // Without game servers the next answer is the one to the next request.
    bystander.Put(PKT_SEARCH, SearchRecord{});
    EXPECT_EQ(bystander.Receive().type, PKT_SEARCH_RESULT);

    // Failed logins lock the account or the address at their limit.
    const std::int32_t target = Client(port(), "Target").account(), other = Client(port(), "Other").account();
    const struct {
        const char* from;
        std::int32_t account;
        const char* password;
        bool in;
    } tries[] = {
        {"127.0.0.2", target, "wrong", false},
        {"127.0.0.2", target, "wrong", false},
        {"127.0.0.2", target, "pw", true}, // two failures of three
        {"127.0.0.2", target, "wrong", false},
        {"127.0.0.2", target, "pw", false}, // locked, right password or not
        {"127.0.0.3", target, "pw", false}, // from anywhere
        {"127.0.0.3", other, "pw", true},   // the lock is the account's
        // Unknown accounts count against the address: guessing numbers is guessing.
        {"127.0.0.4", 99999, "x", false},
        {"127.0.0.4", 99998, "x", false},
        {"127.0.0.4", other, "pw", true}, // two failures of three
        {"127.0.0.4", 99997, "x", false},
        {"127.0.0.4", other, "pw", false}, // the address is locked
    };
    for (const auto& t : tries) {
        WirePeer client(port(), "127.0.0.1", t.from);
        ASSERT_EQ(client.Version(BUILD_NUMBER), PKT_VERSION_OK);
        EXPECT_EQ(client.Login(t.account, t.password), t.in ? PKT_LOGIN_OK : PKT_LOGIN_FAILED) << &t - tries;
    }
}

TEST_F(Limits, SilenceClosesAtTheFirstFrameTimeOrAfterThreeKeepAlivePeriods)
{
    Start({"--first-frame-seconds", "1", "--keepalive-seconds", "2"});
    Client online(port(), "Quiet");
    const long long start = NowMs();
    WirePeer mute(port()), trickler(port()), versioned(port()), chatty(port());
    WirePeer stalled(port(), "127.0.0.1", nullptr, false); // a TLS handshake that never ends
    stalled.SendRaw("\x16\x03\x01", 3);                    // a record header, then nothing
    ASSERT_EQ(versioned.Version(BUILD_NUMBER), PKT_VERSION_OK);
    ASSERT_EQ(chatty.Version(BUILD_NUMBER), PKT_VERSION_OK);
    // Half a frame is no frame: a header claiming 1000 bytes, then a byte now and then.
    const std::uint8_t header[] = {0xb0, 0x04, 0xe8, 0x03};
    trickler.SendRaw(header, sizeof header);
    while (NowMs() < start + 4500) { // two and a half keep-alive periods
        usleep(250000);
        chatty.Send(PKT_KEEP_ALIVE);
        trickler.SendRaw(header, 1);
    }
    EXPECT_TRUE(mute.ClosedWithin(0) && stalled.ClosedWithin(0));
    EXPECT_TRUE(trickler.ClosedWithin(0));
    EXPECT_FALSE(versioned.ClosedWithin(0)) << "one late keep-alive is forgiven";
    EXPECT_FALSE(online.ClosedWithin(0));
    EXPECT_TRUE(versioned.ClosedWithin(5000));
    EXPECT_TRUE(online.ClosedWithin(1000));
    std::string error;
    chatty.Signup("", "a@b.c", "pw", &error);
    EXPECT_EQ(error, "Nickname must be 1 to 31 characters.") << "keep-alives hold a connection open";
}

TEST_F(Limits, ConnectionsBeyondTheTotalOrPerAddressCapAreTurnedAway)
{
    Start({"--bind", "127.0.9.5", "--max-connections", "3", "--max-per-address", "2"});
    std::vector<std::unique_ptr<WirePeer>> clients;
    for (const auto& [from, admitted] : {std::pair{"127.0.9.21", true},
                                         {"127.0.9.21", true},
                                         {"127.0.9.21", false},
                                         {"127.0.9.22", true},
                                         {"127.0.9.23", false}}) {
        clients.push_back(std::make_unique<WirePeer>(port(), "127.0.9.5", from));
        if (admitted) EXPECT_EQ(clients.back()->Version(BUILD_NUMBER), PKT_VERSION_OK) << from;
        else EXPECT_TRUE(clients.back()->ClosedWithin(5000)) << from;
    }
    clients[0].reset();
    // The server learns of the hang-up when it reads it; a freed slot is taken again.
    std::uint16_t answer = 0;
    for (const long long end = NowMs() + 5000; answer != PKT_VERSION_OK && NowMs() < end; usleep(20000)) {
        answer = WirePeer(port(), "127.0.9.5", "127.0.9.23").Version(BUILD_NUMBER);
    }
    EXPECT_EQ(answer, PKT_VERSION_OK);
}

TEST(SlidingWindow, EventsLeaveOneByOneAndExpiredKeysAreForgotten)
{
    using std::chrono::seconds;
    kvxserver::RateLimiter limiter(2, seconds(10));
    const kvxserver::RateLimiter::Clock::time_point t0{};
    limiter.Record("a", t0);
    limiter.Record("a", t0 + seconds(4));
    EXPECT_FALSE(limiter.Allows("a", t0 + seconds(9)));
    EXPECT_TRUE(limiter.Allows("b", t0 + seconds(9))) << "keys are independent";
    EXPECT_TRUE(limiter.Allows("a", t0 + seconds(10))) << "the first event has left";
    limiter.Record("a", t0 + seconds(10));
    EXPECT_FALSE(limiter.Allows("a", t0 + seconds(13)));
    EXPECT_TRUE(limiter.Allows("a", t0 + seconds(14))) << "and then the second";
    for (int i = 0; i < 5000; ++i) limiter.Record(std::to_string(i), t0 + seconds(i < 3000 ? 20 : 40));
    EXPECT_LE(limiter.Keys(), 2000u) << "keys whose events have all left are forgotten";
}

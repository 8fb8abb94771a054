// Input no real client sends: each kind drops its own connection at once, and the server
// goes on serving everyone else.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <thread>
#include <vector>

#include "support/ServerProcess.h"
#include "support/TempDir.h"
#include "support/WireClient.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

class HostileInput : public ::testing::Test {
protected:
    void SetUp() override {
        server_ = std::make_unique<ServerProcess>(dir_.File("kvx.db"));
        ASSERT_NE(server_->port(), 0);
        bystander_ = std::make_unique<WireClient>(port());
        ASSERT_EQ(bystander_->Version(BUILD_NUMBER), PKT_VERSION_OK);
        const std::int32_t account = bystander_->Signup("Calm", "calm@example.com", "pw");
        ASSERT_EQ(bystander_->Login(account, "pw"), PKT_LOGIN_OK);
    }

    // The logged-in bystander is still answered, and newcomers still get in.
    void ExpectStillServing() {
        ASSERT_TRUE(bystander_->Send(PKT_LIBRARY_REQUEST));
        EXPECT_EQ(bystander_->Receive().type, PKT_IP_INFO);
        WireClient newcomer(port());
        EXPECT_EQ(newcomer.Version(BUILD_NUMBER), PKT_VERSION_OK);
    }

    std::uint16_t port() const { return server_->port(); }

    TempDir dir_;
    std::unique_ptr<ServerProcess> server_;
    std::unique_ptr<WireClient> bystander_;
};

std::vector<std::uint8_t> Header(std::uint16_t type, std::uint16_t length) {
    std::vector<std::uint8_t> bytes(kvxwire::kHeaderSize);
    kvxwire::WriteU16(bytes.data(), type);
    kvxwire::WriteU16(bytes.data() + 2, length);
    return bytes;
}

} // namespace

TEST_F(HostileInput, BrokenFrameLengthDrops) {
    WireClient attacker(port());
    const std::vector<std::uint8_t> header = Header(PKT_VERSION, kvxwire::kMaxPayload + 1);
    ASSERT_TRUE(attacker.SendRaw(header.data(), header.size()));
    EXPECT_TRUE(attacker.ClosedWithin(3000));
    ExpectStillServing();
}

TEST_F(HostileInput, ShortRecordsAndRequestsBeforeVersionDrop) {
    const std::uint8_t zeros[sizeof(SignupRequestRecord)] = {};
    const struct {
        std::uint16_t type;
        std::size_t length;
        bool versionFirst;
    } cases[] = {
        {PKT_VERSION, 3, false},
        {PKT_LOGIN, sizeof(LoginRecord) - 1, true},
        {PKT_SIGNUP_REQUEST, sizeof(SignupRequestRecord) - 1, true},
        {PKT_LOGIN, sizeof(LoginRecord), false},
        {PKT_SIGNUP_REQUEST, sizeof(SignupRequestRecord), false},
    };
    for (const auto& c : cases) {
        WireClient attacker(port());
        if (c.versionFirst) ASSERT_EQ(attacker.Version(BUILD_NUMBER), PKT_VERSION_OK);
        ASSERT_TRUE(attacker.Send(c.type, zeros, c.length));
        EXPECT_TRUE(attacker.ClosedWithin(3000)) << "type " << c.type << ", " << c.length;
    }
    ExpectStillServing();
}

TEST_F(HostileInput, LongRunsOfPointlessPacketsDrop) {
    // A hundred unknown packets are tolerated; a keep-alive starts the count again.
    WireClient patient(port());
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(patient.Send(4242));
    ASSERT_TRUE(patient.Send(PKT_KEEP_ALIVE));
    for (int i = 0; i < 100; ++i) ASSERT_TRUE(patient.Send(PKT_LIBRARY_REQUEST)); // not online
    EXPECT_EQ(patient.Version(BUILD_NUMBER), PKT_VERSION_OK);

    WireClient flooder(port());
    for (int i = 0; i < 101; ++i) ASSERT_TRUE(flooder.Send(static_cast<std::uint16_t>(9000 + i)));
    EXPECT_TRUE(flooder.ClosedWithin(3000));
    ExpectStillServing();
}

TEST(ConnectionLimits, SilenceClosesAtTheFirstFrameTimeOrAfterThreeKeepAlivePeriods) {
    // Partial frames are not activity: only whole frames hold a connection open.
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"), {"--keepalive-seconds", "1", "--first-frame-seconds", "1"});
    ASSERT_NE(server.port(), 0);
    std::int32_t account = 0;
    {
        WireClient setup(server.port());
        ASSERT_EQ(setup.Version(BUILD_NUMBER), PKT_VERSION_OK);
        account = setup.Signup("Quiet", "quiet@example.com", "pw");
    }
    using std::chrono::milliseconds;
    const std::vector<std::uint8_t> header = Header(PKT_SIGNUP_REQUEST, 1000);
    struct Case {
        const char* name;
        std::size_t trickle; // bytes of `header` sent at once, then one more every 500 ms
        int frames;          // 0: none; 1: version; 2: version and login
        milliseconds earliest, latest;
    } cases[] = {
        {"never sends a byte", 0, 0, milliseconds(700), milliseconds(2500)},
        {"trickles a frame that never completes", 2, 0, milliseconds(700), milliseconds(2500)},
        {"versioned, then silent", 0, 1, milliseconds(2500), milliseconds(5000)},
        {"online, then silent", 0, 2, milliseconds(2500), milliseconds(5000)},
    };
    std::vector<std::unique_ptr<WireClient>> clients;
    for (const Case& c : cases) {
        clients.push_back(std::make_unique<WireClient>(server.port()));
        if (c.frames >= 1) ASSERT_EQ(clients.back()->Version(BUILD_NUMBER), PKT_VERSION_OK) << c.name;
        if (c.frames >= 2) ASSERT_EQ(clients.back()->Login(account, "pw"), PKT_LOGIN_OK) << c.name;
        if (c.trickle > 0) ASSERT_TRUE(clients.back()->SendRaw(header.data(), c.trickle));
    }
    WireClient chatty(server.port());
    ASSERT_EQ(chatty.Version(BUILD_NUMBER), PKT_VERSION_OK);

    const auto start = std::chrono::steady_clock::now();
    std::vector<std::chrono::steady_clock::duration> closedAfter(clients.size(),
                                                                 std::chrono::steady_clock::duration::max());
    std::vector<std::uint8_t> trickled = header;
    trickled.resize(header.size() + 1000); // the frame the header claims, never all sent
    std::vector<std::size_t> sent;
    for (const Case& c : cases) sent.push_back(c.trickle);
    for (int tick = 0; tick < 12; ++tick) {
        std::this_thread::sleep_for(milliseconds(500));
        ASSERT_TRUE(chatty.Send(PKT_KEEP_ALIVE));
        for (std::size_t i = 0; i < clients.size(); ++i) {
            if (closedAfter[i] != std::chrono::steady_clock::duration::max()) continue;
            if (clients[i]->ClosedWithin(0)) {
                closedAfter[i] = std::chrono::steady_clock::now() - start;
            } else if (cases[i].trickle > 0) {
                clients[i]->SendRaw(&trickled[sent[i]++], 1);
            }
        }
    }
    for (std::size_t i = 0; i < clients.size(); ++i) {
        EXPECT_GE(closedAfter[i], cases[i].earliest) << cases[i].name << ": closed too soon";
        EXPECT_LE(closedAfter[i], cases[i].latest) << cases[i].name << ": left open";
    }
    EXPECT_FALSE(chatty.ClosedWithin(100)) << "keep-alives hold a connection open";
    std::string error;
    chatty.Signup("", "a@b.com", "pw", &error);
    EXPECT_EQ(error, "Nickname must be 1 to 31 characters.") << "and it is still served";
}

TEST(ConnectionLimits, ConnectionsBeyondTheTotalOrPerAddressCapAreTurnedAway) {
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"),
                         {"--bind", "127.0.9.5", "--max-connections", "3", "--max-per-address", "2"});
    ASSERT_NE(server.port(), 0);
    const struct {
        const char* from;
        bool admitted;
    } arrivals[] = {
        {"127.0.9.21", true},
        {"127.0.9.21", true},
        {"127.0.9.21", false}, // a third from one address
        {"127.0.9.22", true},
        {"127.0.9.23", false}, // a fourth in all
    };
    std::vector<std::unique_ptr<WireClient>> clients;
    for (const auto& arrival : arrivals) {
        clients.push_back(std::make_unique<WireClient>(server.port(), "127.0.9.5", arrival.from));
        ASSERT_TRUE(clients.back()->Connected()) << arrival.from;
        if (arrival.admitted) {
            EXPECT_EQ(clients.back()->Version(BUILD_NUMBER), PKT_VERSION_OK) << arrival.from;
        } else {
            EXPECT_TRUE(clients.back()->ClosedWithin(3000)) << arrival.from;
        }
    }

    clients[0].reset();
    // The server learns of the hang-up asynchronously; allow it a moment.
    std::uint16_t answer = 0;
    for (int attempt = 0; attempt < 50 && answer != PKT_VERSION_OK; ++attempt) {
        WireClient later(server.port(), "127.0.9.5", "127.0.9.23");
        answer = later.Version(BUILD_NUMBER);
        if (answer != PKT_VERSION_OK) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(answer, PKT_VERSION_OK) << "a freed slot is taken again";
}

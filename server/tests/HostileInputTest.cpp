// Input no real client sends: each kind drops its own connection at once, and the server
// goes on serving everyone else.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

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

TEST(ConnectionLimits, SilentClientsAreClosedAfterThreeKeepAlivePeriods) {
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"), {"--keepalive-seconds", "1"});
    ASSERT_NE(server.port(), 0);
    WireClient silent(server.port());
    WireClient chatty(server.port());
    ASSERT_EQ(chatty.Version(BUILD_NUMBER), PKT_VERSION_OK);

    const auto start = std::chrono::steady_clock::now();
    auto closedAfter = std::chrono::steady_clock::duration::max();
    for (int i = 0; i < 10; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
        ASSERT_TRUE(chatty.Send(PKT_KEEP_ALIVE));
        if (closedAfter == std::chrono::steady_clock::duration::max() && silent.ClosedWithin(0)) {
            closedAfter = std::chrono::steady_clock::now() - start;
        }
    }
    EXPECT_GE(closedAfter, std::chrono::milliseconds(2500)) << "closed before three periods";
    EXPECT_LE(closedAfter, std::chrono::seconds(5)) << "silent connection left open";
    EXPECT_FALSE(chatty.ClosedWithin(100)) << "keep-alives hold a connection open";
    std::string error;
    chatty.Signup("", "a@b.com", "pw", &error);
    EXPECT_EQ(error, "Nickname must be 1 to 31 characters.") << "and it is still served";
}

TEST(ConnectionLimits, ConnectionsBeyondThePerAddressLimitAreTurnedAway) {
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"), {"--max-per-address", "2"});
    ASSERT_NE(server.port(), 0);
    auto first = std::make_unique<WireClient>(server.port());
    WireClient second(server.port());
    ASSERT_EQ(first->Version(BUILD_NUMBER), PKT_VERSION_OK);
    ASSERT_EQ(second.Version(BUILD_NUMBER), PKT_VERSION_OK);

    WireClient third(server.port());
    EXPECT_TRUE(third.ClosedWithin(3000));

    first.reset();
    // The server learns of the hang-up asynchronously; allow it a moment.
    std::uint16_t answer = 0;
    for (int attempt = 0; attempt < 50 && answer != PKT_VERSION_OK; ++attempt) {
        WireClient later(server.port());
        answer = later.Version(BUILD_NUMBER);
        if (answer != PKT_VERSION_OK) std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    EXPECT_EQ(answer, PKT_VERSION_OK);
}

// Password guessing and sign-up floods: the real server's limits, and the sliding window
// they are built on.
#include <gtest/gtest.h>

#include "core/RateLimiter.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"
#include "support/WireClient.h"
#include "wire/Packets.h"

using kvxserver::RateLimiter;

namespace {

class RateLimits : public ::testing::Test {
protected:
    void Start(const std::vector<std::string>& extra) {
        server_ = std::make_unique<ServerProcess>(dir_.File("kvx.db"), extra);
        ASSERT_NE(server_->port(), 0);
        client_ = std::make_unique<WireClient>(server_->port());
        ASSERT_EQ(client_->Version(BUILD_NUMBER), PKT_VERSION_OK);
    }

    TempDir dir_;
    std::unique_ptr<ServerProcess> server_;
    std::unique_ptr<WireClient> client_;
};

} // namespace

TEST_F(RateLimits, GuessingOneAccountLocksItButNotOthers) {
    Start({"--login-failures-per-account", "3"});
    const std::int32_t target = client_->Signup("Target", "t@example.com", "right");
    const std::int32_t other = client_->Signup("Other", "o@example.com", "right");
    for (int i = 0; i < 3; ++i) EXPECT_EQ(client_->Login(target, "wrong"), PKT_LOGIN_FAILED);
    EXPECT_EQ(client_->Login(target, "right"), PKT_LOGIN_FAILED) << "locked despite right password";

    WireClient elsewhere(server_->port());
    ASSERT_EQ(elsewhere.Version(BUILD_NUMBER), PKT_VERSION_OK);
    EXPECT_EQ(elsewhere.Login(target, "right"), PKT_LOGIN_FAILED) << "the lock is the account's";
    EXPECT_EQ(elsewhere.Login(other, "right"), PKT_LOGIN_OK);
}

TEST_F(RateLimits, GuessingFromOneAddressLocksThatAddress) {
    Start({"--login-failures-per-address", "3"});
    const std::int32_t account = client_->Signup("Mine", "m@example.com", "right");
    // Unknown accounts count against the address too: guessing numbers is guessing.
    EXPECT_EQ(client_->Login(account + 50, "x"), PKT_LOGIN_FAILED);
    EXPECT_EQ(client_->Login(account + 51, "x"), PKT_LOGIN_FAILED);
    EXPECT_EQ(client_->Login(account, "x"), PKT_LOGIN_FAILED);
    EXPECT_EQ(client_->Login(account, "right"), PKT_LOGIN_FAILED);
}

TEST_F(RateLimits, SignupsPerAddressAreCapped) {
    Start({"--signups-per-address", "2"});
    EXPECT_EQ(client_->Signup("One", "1@example.com", "pw"), 10000);
    EXPECT_EQ(client_->Signup("Two", "2@example.com", "pw"), 10001);
    std::string error;
    EXPECT_EQ(client_->Signup("Three", "3@example.com", "pw", &error), 0);
    EXPECT_EQ(error, "Too many new accounts from your address. Please try again later.");
    EXPECT_EQ(client_->Login(10001, "pw"), PKT_LOGIN_OK) << "logging in is not limited";
}

TEST(SlidingWindow, EventsLeaveTheWindowOneByOne) {
    using std::chrono::seconds;
    RateLimiter limiter(2, seconds(10));
    const RateLimiter::Clock::time_point t0{};
    limiter.Record("a", t0);
    limiter.Record("a", t0 + seconds(4));
    EXPECT_FALSE(limiter.Allows("a", t0 + seconds(9)));
    EXPECT_TRUE(limiter.Allows("b", t0 + seconds(9))) << "keys are independent";
    EXPECT_TRUE(limiter.Allows("a", t0 + seconds(10))) << "the first event has left";
    limiter.Record("a", t0 + seconds(10));
    EXPECT_FALSE(limiter.Allows("a", t0 + seconds(13)));
    EXPECT_TRUE(limiter.Allows("a", t0 + seconds(14))) << "and then the second";
}

TEST(SlidingWindow, ForgetsKeysWhoseEventsHaveExpired) {
    using std::chrono::seconds;
    RateLimiter limiter(5, seconds(1));
    const RateLimiter::Clock::time_point t0{};
    for (int i = 0; i < 5000; ++i) limiter.Record("old" + std::to_string(i), t0);
    const auto later = t0 + seconds(2);
    for (int i = 0; i < 2000; ++i) limiter.Record("new" + std::to_string(i), later);
    EXPECT_LE(limiter.Keys(), 2000u);
}

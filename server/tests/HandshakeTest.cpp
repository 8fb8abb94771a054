// The conversation a well-behaved client has with the real server process: version check,
// sign-up, login, server message, address info.
#include <gtest/gtest.h>

#include <cstring>

#include "support/ServerProcess.h"
#include "support/TempDir.h"
#include "support/WireClient.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

class Handshake : public ::testing::Test {
protected:
    void Start(const std::vector<std::string>& extra = {}) {
        server_ = std::make_unique<ServerProcess>(dir_.File("kvx.db"), extra);
        ASSERT_NE(server_->port(), 0) << "server did not come up";
    }
    std::uint16_t port() const { return server_->port(); }

    TempDir dir_;
    std::unique_ptr<ServerProcess> server_;
};

} // namespace

TEST_F(Handshake, VersionCheckAcceptsTheMinimumBuildAndNewerOnly) {
    Start({"--min-build", "146"});
    for (std::uint32_t build : {146u, 147u, 100000u}) {
        WireClient client(port());
        EXPECT_EQ(client.Version(build), PKT_VERSION_OK) << build;
    }
    WireClient old(port());
    EXPECT_EQ(old.Version(145), PKT_VERSION_OLD);
    EXPECT_TRUE(old.ClosedWithin(3000)) << "an out-dated client is hung up on";
}

TEST_F(Handshake, SignupThenLoginGoesOnlineAndGetsTheMessageOfTheDay) {
    Start({"--motd", "Welcome to KVX."});
    WireClient client(port());
    ASSERT_EQ(client.Version(BUILD_NUMBER), PKT_VERSION_OK);
    const std::int32_t first = client.Signup("Ranger", "ranger@example.com", "secret99");
    EXPECT_EQ(first, 10000);
    EXPECT_EQ(client.Signup("Other", "other@example.com", "x"), 10001);

    ASSERT_EQ(client.Login(first, "secret99"), PKT_LOGIN_OK);
    const Frame motd = client.Receive();
    EXPECT_EQ(motd.type, PKT_SERVER_MESSAGE);
    EXPECT_EQ(motd.Text(), "Welcome to KVX.");
    EXPECT_EQ(motd.payload.back(), 0) << "the text is NUL-terminated inside the payload";

    ASSERT_TRUE(client.Send(PKT_LIBRARY_REQUEST));
    const Frame info = client.Receive();
    ASSERT_EQ(info.type, PKT_IP_INFO);
    ASSERT_EQ(info.payload.size(), sizeof(IpInfoRecord));
    EXPECT_EQ(static_cast<std::int32_t>(kvxwire::ReadU32(info.payload.data())), first);
    const std::uint8_t loopback[4] = {127, 0, 0, 1};
    EXPECT_EQ(std::memcmp(info.payload.data() + 4, loopback, 4), 0);
}

TEST_F(Handshake, RefusedLoginsLeaveTheConnectionOpenForAnotherTry) {
    Start(); // no message of the day: nothing may follow LOGIN_OK
    WireClient client(port());
    ASSERT_EQ(client.Version(BUILD_NUMBER), PKT_VERSION_OK);
    const std::int32_t account = client.Signup("Nick", "n@example.org", "abc");
    ASSERT_NE(account, 0);

    EXPECT_EQ(client.Login(account, "abd"), PKT_LOGIN_FAILED);
    EXPECT_EQ(client.Login(account, "ab"), PKT_LOGIN_FAILED);
    EXPECT_EQ(client.Login(account + 1, "abc"), PKT_LOGIN_FAILED) << "no such account";
    EXPECT_EQ(client.Login(-1, "abc"), PKT_LOGIN_FAILED);

    // The password is the field's text up to its NUL; what follows the NUL does not count.
    LoginRecord record{};
    record.account = account;
    std::memcpy(record.password, "abc\0zzzzzzz", 11);
    ASSERT_TRUE(client.Send(PKT_LOGIN, &record, sizeof record));
    EXPECT_EQ(client.Receive().type, PKT_LOGIN_OK);
    ASSERT_TRUE(client.Send(PKT_LIBRARY_REQUEST));
    EXPECT_EQ(client.Receive().type, PKT_IP_INFO);
}

TEST_F(Handshake, SignupRulesAnswerWithTextForTheUser) {
    Start({"--signups-per-address", "1"});
    WireClient client(port());
    ASSERT_EQ(client.Version(BUILD_NUMBER), PKT_VERSION_OK);
    struct Case {
        std::string nickname, email, password, expected;
    };
    const Case cases[] = {
        {"", "a@b.com", "pw", "Nickname must be 1 to 31 characters."},
        {std::string(32, 'n'), "a@b.com", "pw", "Nickname must be 1 to 31 characters."},
        {"tab\there", "a@b.com", "pw", "Nickname may not contain control characters."},
        {"nick", "ab.com", "pw", "Please enter a valid email address, such as name@example.com."},
        {"nick", "a@bcom", "pw", "Please enter a valid email address, such as name@example.com."},
        {"nick", "a@b.", "pw", "Please enter a valid email address, such as name@example.com."},
        {"nick", "a@b.com", "", "Password must be 1 to 9 characters."},
        {"nick", "a@b.com", "1234567890", "Password must be 1 to 9 characters."},
    };
    for (const Case& c : cases) {
        std::string error;
        EXPECT_EQ(client.Signup(c.nickname, c.email, c.password, &error), 0) << c.nickname;
        EXPECT_EQ(error, c.expected) << c.nickname << " / " << c.email << " / " << c.password;
    }
    // Refused forms use up none of the address's sign-ups; the longest values still fit.
    const std::int32_t account =
        client.Signup(std::string(31, 'n'), "first.last@mail.example.com", "123456789");
    EXPECT_EQ(account, 10000);
    EXPECT_EQ(client.Login(account, "123456789"), PKT_LOGIN_OK);
}

TEST_F(Handshake, PipelinedAndFragmentedInputIsAnsweredInOrder) {
    Start();
    std::int32_t account = 0;
    {
        WireClient setup(port());
        ASSERT_EQ(setup.Version(BUILD_NUMBER), PKT_VERSION_OK);
        account = setup.Signup("Piper", "p@example.com", "pw");
    }
    std::vector<std::uint8_t> stream;
    auto append = [&stream](std::uint16_t type, const void* payload, std::size_t length) {
        std::uint8_t frame[kvxwire::kMaxFrame];
        const std::size_t n = kvxwire::EncodeFrame(type, payload, length, frame, sizeof frame);
        stream.insert(stream.end(), frame, frame + n);
    };
    std::uint8_t build[4];
    kvxwire::WriteU32(build, BUILD_NUMBER);
    LoginRecord login{};
    login.account = account;
    std::strcpy(login.password, "pw");
    append(PKT_VERSION, build, sizeof build);
    append(PKT_KEEP_ALIVE, nullptr, 0);
    append(PKT_LOGIN, &login, sizeof login);
    append(PKT_LIBRARY_REQUEST, nullptr, 0);

    // All in one write: the login waits for its hash while the request behind it is held.
    WireClient joined(port());
    ASSERT_TRUE(joined.SendRaw(stream.data(), stream.size()));
    EXPECT_EQ(joined.Receive().type, PKT_VERSION_OK);
    EXPECT_EQ(joined.Receive().type, PKT_LOGIN_OK);
    EXPECT_EQ(joined.Receive().type, PKT_IP_INFO);

    // One byte per write: frames complete only with their last byte.
    WireClient split(port());
    for (std::uint8_t byte : stream) ASSERT_TRUE(split.SendRaw(&byte, 1));
    EXPECT_EQ(split.Receive().type, PKT_VERSION_OK);
    EXPECT_EQ(split.Receive().type, PKT_LOGIN_OK);
    EXPECT_EQ(split.Receive().type, PKT_IP_INFO);
}

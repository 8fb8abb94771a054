// The game servers named with --game-server reach a logged-in client after its address
// info, as one fixed-size record list; without any the address info comes alone.
#include <gtest/gtest.h>

#include <cstring>

#include "core/Options.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"
#include "support/WireClient.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

// Signs up and logs in on a new connection, ready for the library request.
void GoOnline(WireClient& client)
{
    ASSERT_EQ(client.Version(BUILD_NUMBER), PKT_VERSION_OK);
    const std::int32_t account = client.Signup("Gamer", "gamer@example.com", "pw");
    ASSERT_NE(account, 0);
    ASSERT_EQ(client.Login(account, "pw"), PKT_LOGIN_OK);
}

GameServerRecord RecordAt(const Frame& frame, std::size_t index)
{
    GameServerRecord record{};
    std::memcpy(&record, frame.payload.data() + sizeof(GameServersHead) + index * sizeof(GameServerRecord),
                sizeof record);
    return record;
}

} // namespace

TEST(GameServers, FollowTheAddressInfoInTheOrderGiven)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"), {"--game-server", "127.0.0.60:27911", "--game-server", "10.1.2.3",
                                              "--game-server", "localhost:5"});
    ASSERT_NE(server.port(), 0);
    WireClient client(server.port());
    GoOnline(client);

    for (int round = 0; round < 2; ++round) { // every request gets the list again
        ASSERT_TRUE(client.Send(PKT_LIBRARY_REQUEST));
        EXPECT_EQ(client.Receive().type, PKT_IP_INFO);
        const Frame list = client.Receive();
        ASSERT_EQ(list.type, PKT_GAME_SERVERS);
        ASSERT_EQ(list.payload.size(), sizeof(GameServersHead) + 3 * sizeof(GameServerRecord));
        EXPECT_EQ(kvxwire::ReadU16(list.payload.data()), kGameQuake2);
        EXPECT_EQ(kvxwire::ReadU16(list.payload.data() + 2), 3);

        const std::uint8_t expected[3][4] = {{127, 0, 0, 60}, {10, 1, 2, 3}, {127, 0, 0, 1}};
        const std::uint16_t ports[3] = {27911, 27910, 5};
        for (std::size_t i = 0; i < 3; ++i) {
            const GameServerRecord record = RecordAt(list, i);
            EXPECT_EQ(std::memcmp(record.address, expected[i], 4), 0) << i;
            EXPECT_EQ(record.port, ports[i]) << i;
            EXPECT_EQ(record.reserved, 0) << i;
        }
    }
}

TEST(GameServers, NoneConfiguredMeansNothingAfterTheAddressInfo)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ASSERT_NE(server.port(), 0);
    WireClient client(server.port());
    GoOnline(client);
    ASSERT_TRUE(client.Send(PKT_LIBRARY_REQUEST));
    EXPECT_EQ(client.Receive().type, PKT_IP_INFO);
    // A keep-alive gets no answer, so anything that arrives now came after the address info.
    ASSERT_TRUE(client.Send(PKT_KEEP_ALIVE));
    EXPECT_EQ(client.Receive(500).type, 0);
}

TEST(GameServers, TheLongestListFillsOnePayload)
{
    TempDir dir;
    std::vector<std::string> args;
    for (std::size_t i = 0; i < kMaxGameServers; ++i) {
        args.push_back("--game-server");
        args.push_back("10.0.0." + std::to_string(i % 250) + ":" + std::to_string(1000 + i));
    }
    ServerProcess server(dir.File("kvx.db"), args);
    ASSERT_NE(server.port(), 0);
    WireClient client(server.port());
    GoOnline(client);
    ASSERT_TRUE(client.Send(PKT_LIBRARY_REQUEST));
    EXPECT_EQ(client.Receive().type, PKT_IP_INFO);
    const Frame list = client.Receive();
    ASSERT_EQ(list.type, PKT_GAME_SERVERS);
    EXPECT_EQ(list.payload.size(), kvxwire::kMaxPayload);
    EXPECT_EQ(RecordAt(list, kMaxGameServers - 1).port, 1000 + kMaxGameServers - 1);
}

TEST(GameServers, BadValuesAreRefusedWithAReason)
{
    struct Case {
        std::vector<std::string> args;
        const char* reason;
    };
    std::vector<std::string> tooMany;
    for (std::size_t i = 0; i <= kMaxGameServers; ++i) {
        tooMany.push_back("--game-server");
        tooMany.push_back("10.0.0.1:" + std::to_string(1000 + i));
    }
    const Case cases[] = {
        {{"--game-server", "10.0.0.1:0"}, "the port must be 1 to 65535"},
        {{"--game-server", "10.0.0.1:65536"}, "the port must be 1 to 65535"},
        {{"--game-server", "10.0.0.1:"}, "the port must be 1 to 65535"},
        {{"--game-server", "10.0.0.1:27x"}, "the port must be 1 to 65535"},
        {{"--game-server", ":27910"}, "no IPv4 address"},
        {{"--game-server", "no.such.host.invalid"}, "no IPv4 address"},
        {{"--game-server"}, "missing value"},
        {tooMany, "at most 255 servers"},
    };
    for (const Case& c : cases) {
        std::vector<const char*> argv;
        for (const std::string& arg : c.args) argv.push_back(arg.c_str());
        kvxserver::Options options;
        std::string error;
        EXPECT_FALSE(options.Parse(static_cast<int>(argv.size()), argv.data(), error)) << c.reason;
        EXPECT_NE(error.find(c.reason), std::string::npos) << error;
    }
    // The program itself refuses to start on one.
    TempDir dir;
    std::string out;
    EXPECT_EQ(ServerProcess::RunToExit({"--game-server", "10.0.0.1:0", "--port", "0", "--db", dir.File("kvx.db")}, out),
              2);
    EXPECT_EQ(out.find("listening"), std::string::npos);
}

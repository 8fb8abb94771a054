// The conversation of a well-behaved client with the real server: version check, sign-up
// and its rules, login, message of the day, address info and the game servers; and its
// pings: one UDP ping frame to the server's port comes straight back as a pong.
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

using Handshake = ServerTest;

TEST_F(Handshake, VersionSignupAndItsRulesLoginMessageOfTheDayAddressInfoAndGameServersWhateverWayTheBytesCome)
{
    // Game servers follow the address info in the order given, up to a full frame.
    std::vector<std::string> args = {"--min-build",           "146",      "--motd",        "Welcome to KVX.",
                                     "--signups-per-address", "1",        "--game-server", "127.0.0.60:27911",
                                     "--game-server",         "10.1.2.3", "--game-server", "localhost:5"};
    for (std::size_t i = 3; i < kMaxGameServers; ++i) args.insert(args.end(), {"--game-server", "10.0.0.1:1000"});
    Start(args);
    // Only the last is a ping: the first answer must be its pong.
    EXPECT_EQ(FirstAnswer(port(), {FrameOf(PKT_KEEP_ALIVE, sizeof(PingStamp)), FrameOf(PKT_SERVER_PING, 4),
                                   FrameOf(PKT_SERVER_PING, 1000), FrameOf(PKT_SERVER_PING, sizeof(PingStamp)) + '\0',
                                   std::string("\x24\x04"), FrameOf(PKT_SERVER_PING, sizeof(PingStamp), 'w')}),
              FrameOf(PKT_SERVER_PONG, sizeof(PingStamp), 'w'));
    for (const std::uint32_t build : {145u, 146u, 100000u}) {
        WirePeer client(port());
        EXPECT_EQ(client.Version(build), build < 146 ? PKT_VERSION_OLD : PKT_VERSION_OK) << build;
        EXPECT_EQ(client.ClosedWithin(build < 146 ? 5000 : 0), build < 146) << "the out-dated are hung up on";
    }
    WirePeer client(port());
    ASSERT_EQ(client.Version(BUILD_NUMBER), PKT_VERSION_OK);
    const std::int32_t account = client.Signup("Ranger", "ranger@example.com", "secret99");
    // Refused logins leave the connection open for another try.
    for (const auto& [number, password] :
         {std::pair{account, "secret9"}, {account, "secret999"}, {10001, "secret99"}, {-1, "secret99"}})
        EXPECT_EQ(client.Login(number, password), PKT_LOGIN_FAILED) << number << " " << password;
    const LoginRecord login{account, "secret99\0zz"}; // the password ends at its NUL
    client.Send(PKT_LOGIN, &login, sizeof login);
    EXPECT_EQ(client.Receive().type, PKT_LOGIN_OK);
    // The types of these answers are checked with the pipelined stream below.
    EXPECT_EQ(client.Receive().payload, std::string("Welcome to KVX.", 16));
    client.Send(PKT_LIBRARY_REQUEST);
    EXPECT_EQ(client.Receive().payload, BytesOf(IpInfoRecord{account, {127, 0, 0, 1}}));
    const Packet list = client.Receive();
    ASSERT_EQ(list.type, PKT_GAME_SERVERS);
    ASSERT_EQ(list.payload.size(), kvxwire::kMaxPayload);
    const GameServerRecord first[] = {{{127, 0, 0, 60}, 27911, 0}, {{10, 1, 2, 3}, 27910, 0}, {{127, 0, 0, 1}, 5, 0}},
                           last = {{10, 0, 0, 1}, 1000, 0};
    EXPECT_EQ(list.payload.substr(0, sizeof(GameServersHead) + sizeof first),
              BytesOf(GameServersHead{kGameQuake2, kMaxGameServers}) + BytesOf(first));
    EXPECT_EQ(list.payload.substr(kvxwire::kMaxPayload - sizeof last), BytesOf(last));

    // Pipelined in one write (the request waits while the login is hashed), then one byte
    // per write: frames complete only with their last byte.
    const std::string stream = Frame(PKT_VERSION, BytesOf(BUILD_NUMBER)) + Frame(PKT_KEEP_ALIVE) +
                               Frame(PKT_LOGIN, BytesOf(login)) + Frame(PKT_LIBRARY_REQUEST);
    for (const std::size_t piece : {stream.size(), std::size_t{1}}) {
        WirePeer pipelined(port());
        for (std::size_t at = 0; at < stream.size(); at += piece)
            ASSERT_TRUE(pipelined.SendRaw(stream.substr(at, piece)));
        for (const std::uint16_t answer : {PKT_VERSION_OK, PKT_LOGIN_OK, PKT_SERVER_MESSAGE, PKT_IP_INFO}) {
            EXPECT_EQ(pipelined.Receive().type, answer) << piece;
        }
    }

    // Sign-up rules answer with text for the user, here from an address with its sign-up left.
    WirePeer other(port(), "127.0.0.1", "127.0.0.2");
    ASSERT_EQ(other.Version(BUILD_NUMBER), PKT_VERSION_OK);
    const std::string nickname = "Nickname must be 1 to 31 characters.",
                      password = "Password must be 1 to 9 characters.",
                      email = "Please enter a valid email address, such as name@example.com.";
    const struct {
        std::string nickname, email, password, error;
    } cases[] = {
        {"", "a@b.c", "pw", nickname},
        {std::string(32, 'n'), "a@b.c", "pw", nickname},
        {"tab\there", "a@b.c", "pw", "Nickname may not contain control characters."},
        {"nick", "ab.com", "pw", email},
        {"nick", "@b.com", "pw", email},
        {"nick", "a@.com", "pw", email},
        {"nick", "a@bcom", "pw", email},
        {"nick", "a@b.", "pw", email},
        {"nick", "a@b.c", "", password},
        {"nick", "a@b.c", "1234567890", password},
        // The longest values fit, and refused forms used up none of the address's sign-ups.
        {std::string(31, 'n'), "a@b.c", "123456789", ""},
        {"again", "a@b.c", "pw", "Too many new accounts from your address. Please try again later."},
    };
    for (const auto& c : cases) {
        std::string error;
        EXPECT_EQ(other.Signup(c.nickname, c.email, c.password, &error) != 0, c.error.empty()) << c.nickname;
        EXPECT_EQ(error, c.error) << c.nickname << " / " << c.email << " / " << c.password;
    }
    EXPECT_EQ(other.Login(10001, "123456789"), PKT_LOGIN_OK) << "logging in is not limited";
}

// Packets over a real loopback stream, and parsing however the reads cut them.
#include "SockioFixture.h"

#include <string.h>

#include <string>
#include <thread>

#include "sockio/sockio.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

namespace {

TEST_F(SockioTest, PacketsCrossTheStreamWholeWhateverTheReadsCutThem)
{
    SOCKET server = INVALID_SOCKET;
    const SOCKET client = ConnectPair(&server);
    ASSERT_NE(INVALID_SOCKET, client);
    const std::string record(16, 'r');
    ASSERT_TRUE(SK_WPacket(client, PKT_LOGIN, record.data(), 16));
    ASSERT_TRUE(SK_WPacket(client, PKT_KEEP_ALIVE, nullptr, 0));
    std::string arrived(24, '\0');
    int got = 0;
    for (int i = 0; i < 100 && got < 24; ++i) {
        const int n = recv(server, &arrived[got], 24 - got, 0);
        if (n > 0) got += n;
        else Sleep(10);
    }
    EXPECT_EQ(Frame(PKT_LOGIN, record) + Frame(PKT_KEEP_ALIVE), arrived);

    EXPECT_FALSE(SK_WPacket(0, PKT_KEEP_ALIVE, nullptr, 0)) << "no connection";
    EXPECT_FALSE(SK_WPacket(client, 1, record.data(), static_cast<int>(kvxwire::kMaxPayload) + 1)) << "too long";
    closesocket(server);
    closesocket(client);
}

// The session's socket is non-blocking; a frame that does not fit the send buffer at once
// must still go out whole once the peer reads again.
TEST_F(SockioTest, SendingWaitsOutAFullSendBuffer)
{
    SOCKET server = INVALID_SOCKET;
    const SOCKET client = ConnectPair(&server);
    ASSERT_NE(INVALID_SOCKET, client);
    int small = 65536;
    setsockopt(client, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&small), sizeof small);
    setsockopt(server, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small), sizeof small);
    const int kFrames = 1500;
    std::string expected;
    for (int i = 0; i < kFrames; ++i) expected += Frame(static_cast<WORD>(i), std::string(kvxwire::kMaxPayload, static_cast<char>(i)));
    std::string arrived;
    std::thread reader([&] {
        Sleep(300); // lets the sender run into a full buffer first
        DWORD timeout = 5000;
        setsockopt(server, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
        char chunk[16384];
        while (arrived.size() < expected.size()) {
            const int n = recv(server, chunk, sizeof chunk, 0);
            if (n <= 0) break;
            arrived.append(chunk, static_cast<size_t>(n));
        }
    });
    int sent = 0;
    for (int i = 0; i < kFrames; ++i)
        if (SK_WPacket(client, static_cast<WORD>(i), expected.data() + i * kvxwire::kMaxFrame + kvxwire::kHeaderSize,
                       static_cast<int>(kvxwire::kMaxPayload)))
            ++sent;
    reader.join();
    EXPECT_EQ(kFrames, sent);
    EXPECT_TRUE(arrived == expected) << arrived.size() << " of " << expected.size() << " bytes arrived intact";
    closesocket(server);
    closesocket(client);
}

TEST_F(SockioTest, ParseTakesWholeFramesOneAtATimeAndKeepsTheRest)
{
    char buffer[2048];
    int fill = 0;
    PACKET_DATA packet;
    const std::string stream = Frame(1070) + Frame(1080, "hi") + Frame(1020, "xyz");
    // The first frame and a half of the second.
    memcpy(buffer, stream.data(), 6);
    ASSERT_TRUE(SK_Parse(buffer, &fill, 6, &packet));
    EXPECT_EQ(1070, packet.type);
    EXPECT_EQ(2, fill);
    EXPECT_FALSE(SK_Parse(buffer, &fill, 0, &packet));
    memcpy(buffer + fill, stream.data() + 6, stream.size() - 6);
    ASSERT_TRUE(SK_Parse(buffer, &fill, static_cast<int>(stream.size() - 6), &packet));
    EXPECT_EQ(1080, packet.type);
    EXPECT_EQ(2, packet.length);
    EXPECT_EQ(0, memcmp(packet.payload, "hi", 2));
    ASSERT_TRUE(SK_Parse(buffer, &fill, 0, &packet));
    EXPECT_EQ(1020, packet.type);
    EXPECT_EQ(0, fill);

    // A full buffer holding the largest frame parses; a claim past it is a broken stream.
    const std::string largest = Frame(1, std::string(kvxwire::kMaxPayload, 'x'));
    memcpy(buffer, largest.data(), largest.size());
    fill = 0;
    ASSERT_TRUE(SK_Parse(buffer, &fill, 2048, &packet));
    EXPECT_EQ(0, fill);
    memcpy(buffer, "\x01\x00\xff\x7f", 4);
    fill = 0;
    EXPECT_FALSE(SK_Parse(buffer, &fill, 4, &packet));
    EXPECT_EQ(SK_STREAM_BROKEN, fill);
    // More new bytes than the buffer has room for count only up to its end.
    memcpy(buffer, Frame(1, std::string(100, 'y')).data(), 104);
    fill = 2000;
    EXPECT_TRUE(SK_Parse(buffer, &fill, 100, &packet));
    EXPECT_EQ(2048 - 104, fill);
    fill = 0;
    EXPECT_FALSE(SK_Parse(buffer, &fill, -5, &packet)) << "a failed read adds nothing";
    EXPECT_EQ(0, fill);
}

} // namespace

// Packets over a real loopback stream, and parsing however the reads cut them.
#include "SockioFixture.h"

#include <string.h>

#include <algorithm>
#include <thread>

#include "wire/Frame.h"

namespace {

const int kMax = static_cast<int>(kvxwire::kMaxPayload);

TEST_F(SockioTest, PacketsGoOutFramedAndTheServersBytesAndCloseComeBackAsEvents)
{
    SOCKET server = INVALID_SOCKET;
    const SOCKET client = ConnectPair(&server);
    ASSERT_NE(INVALID_SOCKET, client);
    const std::string longest(kvxwire::kMaxPayload, 'L');
    ASSERT_TRUE(SK_WPacket(client, 1010, "abcd", 4));
    ASSERT_TRUE(SK_WPacket(client, 1060, nullptr, 0));
    ASSERT_TRUE(SK_WPacket(client, 1, longest.data(), kMax));
    const std::string sent = Frame(1010, "abcd") + Frame(1060) + Frame(1, longest);
    EXPECT_EQ(sent, ReadUpTo(server, sent.size()));
    const struct {
        UINT_PTR socket;
        const char* data;
        int length;
    } refused[] = {{0, "", 0}, {~UINT_PTR(0), "", 0}, {client, longest.data(), kMax + 1}, {client, nullptr, 1}, {client, "", -1}};
    for (const auto& r : refused) EXPECT_FALSE(SK_WPacket(r.socket, 1, r.data, r.length)) << r.length;

    send(server, "abc", 3, 0);
    std::vector<MSG> seen = Collect(2000, 1);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(static_cast<WPARAM>(client), seen[0].wParam);
    EXPECT_EQ(FD_READ, WSAGETSELECTEVENT(seen[0].lParam));
    EXPECT_EQ("abc", ReadUpTo(client, 3));
    closesocket(server);
    seen = Collect(2000, 1);
    ASSERT_EQ(1u, seen.size());
    EXPECT_EQ(FD_CLOSE, WSAGETSELECTEVENT(seen[0].lParam));
    closesocket(client);
}

// The session's socket is non-blocking; a frame that does not fit the send buffer at once
// must still go out whole once the peer reads again.
TEST_F(SockioTest, SendingWaitsOutAFullSendBuffer)
{
    SOCKET server = INVALID_SOCKET;
    const SOCKET client = ConnectPair(&server);
    ASSERT_NE(INVALID_SOCKET, client);
    const int small = 65536;
    setsockopt(client, SOL_SOCKET, SO_SNDBUF, reinterpret_cast<const char*>(&small), sizeof small);
    setsockopt(server, SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&small), sizeof small);
    std::string expected;
    for (int i = 0; i < 1500; ++i) expected += Frame(static_cast<WORD>(i), std::string(kvxwire::kMaxPayload, static_cast<char>(i)));
    std::string arrived;
    std::thread reader([&] {
        Sleep(300); // lets the sender run into a full buffer first
        arrived = ReadUpTo(server, expected.size());
    });
    int sent = 0;
    for (size_t at = 0; at < expected.size(); at += kvxwire::kMaxFrame)
        sent += SK_WPacket(client, static_cast<WORD>(sent), expected.data() + at + kvxwire::kHeaderSize, kMax);
    reader.join();
    EXPECT_EQ(1500, sent);
    EXPECT_TRUE(arrived == expected) << arrived.size() << " of " << expected.size() << " bytes arrived intact";
    closesocket(server);
    closesocket(client);
}

// Feeds `stream` to SK_Parse `chunk` bytes at a time as the client's receive loop does: each
// read lands behind what the buffer holds, then packets are taken while there are any.
std::string ParseInChunks(const std::string& stream, size_t chunk, int* fill)
{
    char buffer[kvxwire::kMaxFrame];
    std::string packets;
    PACKET_DATA packet;
    *fill = 0;
    for (size_t at = 0; at < stream.size() && *fill >= 0;) {
        const size_t n = std::min({chunk, stream.size() - at, sizeof buffer - static_cast<size_t>(*fill)});
        memcpy(buffer + *fill, stream.data() + at, n);
        at += n;
        for (int fresh = static_cast<int>(n); SK_Parse(buffer, fill, fresh, &packet); fresh = 0)
            packets += Frame(packet.type, std::string(reinterpret_cast<char*>(packet.payload), packet.length));
    }
    return packets;
}

TEST_F(SockioTest, ParseTakesWholeFramesHoweverTheReadsCutThem)
{
    // A short frame before long ones, and the largest frame, which fills the buffer exactly.
    const std::string stream = Frame(1070) + Frame(1080, std::string(300, 'h')) +
                               Frame(1, std::string(kvxwire::kMaxPayload, 'x')) + Frame(1020, "xyz");
    for (size_t chunk : {1, 3, 5, 300, 2047, 2048, 4096}) {
        int fill = -2;
        EXPECT_TRUE(ParseInChunks(stream, chunk, &fill) == stream) << "reads of " << chunk;
        EXPECT_EQ(0, fill);
    }
    // More new bytes than the buffer has room for count only up to its end; a failed read adds none.
    char buffer[kvxwire::kMaxFrame];
    memcpy(buffer, Frame(7, std::string(100, 'y')).data(), 104);
    int fill = 2000;
    PACKET_DATA packet;
    EXPECT_TRUE(SK_Parse(buffer, &fill, 100, &packet));
    EXPECT_EQ(2048 - 104, fill);
    fill = 0;
    EXPECT_FALSE(SK_Parse(buffer, &fill, -5, &packet));
    EXPECT_EQ(0, fill);
    // A length past the largest frame can never complete: the stream is broken.
    EXPECT_EQ("", ParseInChunks(std::string("\x01\x00\xfd\x07", 4) + std::string(2044, 'z'), 2048, &fill));
    EXPECT_EQ(SK_STREAM_BROKEN, fill);
}

} // namespace

// The frame codec: what EncodeFrame writes, PeekFrame must find again, whatever way the
// bytes were cut up by TCP on the way.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "wire/Frame.h"
#include "wire/Packets.h"

using namespace kvxwire;

namespace {

std::vector<std::uint8_t> Encode(std::uint16_t type, const std::vector<std::uint8_t>& payload) {
    std::vector<std::uint8_t> out(kHeaderSize + payload.size());
    EXPECT_EQ(EncodeFrame(type, payload.data(), payload.size(), out.data(), out.size()),
              out.size());
    return out;
}

} // namespace

TEST(FrameCodec, HeaderIsTypeThenLengthLittleEndian) {
    const std::vector<std::uint8_t> frame = Encode(0x1234, {0xaa, 0xbb, 0xcc});
    const std::vector<std::uint8_t> expected = {0x34, 0x12, 0x03, 0x00, 0xaa, 0xbb, 0xcc};
    EXPECT_EQ(frame, expected);
}

TEST(FrameCodec, RoundTripsEveryPayloadSizeUpToTheMaximum) {
    for (std::size_t size : {std::size_t{0}, std::size_t{1}, std::size_t{16}, std::size_t{156},
                             kMaxPayload - 1, kMaxPayload}) {
        std::vector<std::uint8_t> payload(size);
        for (std::size_t i = 0; i < size; ++i) payload[i] = static_cast<std::uint8_t>(i * 7);
        const std::vector<std::uint8_t> frame = Encode(PKT_NEW_EVENT, payload);

        const FrameView view = PeekFrame(frame.data(), frame.size());
        ASSERT_EQ(view.state, FrameState::Complete) << size;
        EXPECT_EQ(view.type, PKT_NEW_EVENT);
        EXPECT_EQ(view.length, size);
        EXPECT_EQ(view.frameSize, frame.size());
        EXPECT_EQ(std::vector<std::uint8_t>(view.payload, view.payload + view.length), payload);
    }
}

TEST(FrameCodec, RefusesWhatDoesNotFit) {
    std::vector<std::uint8_t> payload(kMaxPayload + 1);
    std::vector<std::uint8_t> out(kMaxFrame + 16, 0xee);
    EXPECT_EQ(EncodeFrame(1, payload.data(), payload.size(), out.data(), out.size()), 0u);
    EXPECT_EQ(EncodeFrame(1, payload.data(), 10, out.data(), kHeaderSize + 9), 0u);
    EXPECT_EQ(EncodeFrame(1, nullptr, 10, out.data(), out.size()), 0u);
    EXPECT_EQ(out[0], 0xee) << "nothing may be written on refusal";
    EXPECT_EQ(EncodeFrame(PKT_KEEP_ALIVE, nullptr, 0, out.data(), kHeaderSize), kHeaderSize);
}

TEST(FramePeek, ByteByByteArrivalCompletesOnlyWithTheLastByte) {
    const std::vector<std::uint8_t> frame = Encode(PKT_LOGIN, std::vector<std::uint8_t>(16, 1));
    for (std::size_t have = 0; have < frame.size(); ++have) {
        const FrameView view = PeekFrame(frame.data(), have);
        ASSERT_EQ(view.state, FrameState::NeedMore) << have;
        if (have >= kHeaderSize) {
            EXPECT_EQ(view.type, PKT_LOGIN);
            EXPECT_EQ(view.frameSize, frame.size());
        }
    }
    EXPECT_EQ(PeekFrame(frame.data(), frame.size()).state, FrameState::Complete);
}

TEST(FramePeek, JoinedFramesComeApartInOrder) {
    std::vector<std::uint8_t> stream;
    const std::uint16_t types[] = {PKT_VERSION_OK, PKT_LOGIN_OK, PKT_SERVER_MESSAGE};
    for (std::uint16_t i = 0; i < 3; ++i) {
        const std::vector<std::uint8_t> frame = Encode(types[i], std::vector<std::uint8_t>(i, 9));
        stream.insert(stream.end(), frame.begin(), frame.end());
    }
    stream.push_back(0x01); // the first byte of a fourth frame

    std::size_t offset = 0;
    for (std::uint16_t i = 0; i < 3; ++i) {
        const FrameView view = PeekFrame(stream.data() + offset, stream.size() - offset);
        ASSERT_EQ(view.state, FrameState::Complete);
        EXPECT_EQ(view.type, types[i]);
        EXPECT_EQ(view.length, i);
        offset += view.frameSize;
    }
    EXPECT_EQ(PeekFrame(stream.data() + offset, stream.size() - offset).state,
              FrameState::NeedMore);
}

TEST(FramePeek, LengthBeyondTheMaximumIsBrokenAsSoonAsTheHeaderIsIn) {
    for (std::uint16_t length : {std::uint16_t(kMaxPayload + 1), std::uint16_t(0xffff)}) {
        std::uint8_t header[kHeaderSize];
        WriteU16(header, PKT_VERSION);
        WriteU16(header + 2, length);
        EXPECT_EQ(PeekFrame(header, 3).state, FrameState::NeedMore);
        const FrameView view = PeekFrame(header, sizeof header);
        EXPECT_EQ(view.state, FrameState::Broken) << length;
        EXPECT_EQ(view.length, length);
    }
}

TEST(FrameRecords, LoginTravelsAsTheClientLaysItOut) {
    LoginRecord record{};
    record.account = 10001;
    std::memcpy(record.password, "secret", 6);
    std::uint8_t frame[kHeaderSize + sizeof record];
    ASSERT_EQ(EncodeFrame(PKT_LOGIN, &record, sizeof record, frame, sizeof frame), sizeof frame);
    const FrameView view = PeekFrame(frame, sizeof frame);
    ASSERT_EQ(view.state, FrameState::Complete);
    EXPECT_EQ(view.length, 16);
    EXPECT_EQ(ReadU32(view.payload), 10001u);
    EXPECT_EQ(std::memcmp(view.payload + 4, "secret\0\0\0\0\0\0", 12), 0);
    EXPECT_EQ(sizeof(SignupRequestRecord) + kHeaderSize, 160u) << "sign-up frame size";
}

// The frame codec: what EncodeFrame writes, PeekFrame must find again, whatever way the
// bytes were cut up by TCP on the way, and a header that claims too much is broken at once.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "wire/Frame.h"
#include "wire/Packets.h"

using namespace kvxwire;

TEST(Frame, EncodesTypeThenLengthLittleEndianAndRefusesWhatDoesNotFit)
{
    std::uint8_t out[kMaxFrame + 1];
    std::memset(out, 0xee, sizeof out);
    const std::uint8_t payload[kMaxPayload + 1] = {0xaa, 0xbb, 0xcc};
    EXPECT_EQ(EncodeFrame(0x1234, payload, 3, out, 7), 7u);
    EXPECT_EQ(std::vector<std::uint8_t>(out, out + 8),
              (std::vector<std::uint8_t>{0x34, 0x12, 3, 0, 0xaa, 0xbb, 0xcc, 0xee}));
    std::memset(out, 0xee, sizeof out);
    EXPECT_EQ(EncodeFrame(1, payload, 3, out, 6), 0u) << "one byte short";
    EXPECT_EQ(EncodeFrame(1, payload, kMaxPayload + 1, out, sizeof out), 0u);
    EXPECT_EQ(EncodeFrame(1, nullptr, 3, out, sizeof out), 0u);
    EXPECT_EQ(out[0], 0xee) << "nothing is written on refusal";
}

TEST(Frame, PeekFindsAFrameOfEverySizeOnlyOnceItsLastByteIsInAndATooLongOneAtOnce)
{
    for (const std::size_t size : {std::size_t{0}, std::size_t{1}, kMaxPayload - 1, kMaxPayload}) {
        std::vector<std::uint8_t> payload(size), frame(kHeaderSize + size);
        for (std::size_t i = 0; i < size; ++i) payload[i] = static_cast<std::uint8_t>(i * 7);
        ASSERT_EQ(EncodeFrame(PKT_NEW_EVENT, payload.data(), size, frame.data(), frame.size()), frame.size());
        for (std::size_t have = 0; have < frame.size(); ++have) {
            ASSERT_EQ(PeekFrame(frame.data(), have).state, FrameState::NeedMore) << size << ", " << have;
        }
        ASSERT_EQ(PeekFrame(frame.data(), frame.size()).state, FrameState::Complete) << size;
        frame.push_back(0x01); // the first byte of the next frame
        const FrameView view = PeekFrame(frame.data(), frame.size());
        ASSERT_EQ(view.state, FrameState::Complete) << size;
        EXPECT_EQ(view.type, PKT_NEW_EVENT);
        EXPECT_EQ(view.frameSize, kHeaderSize + size);
        EXPECT_EQ(std::vector<std::uint8_t>(view.payload, view.payload + view.length), payload);
    }
    // A header claiming more than the maximum is broken as soon as it is in.
    for (const std::uint16_t length : {std::uint16_t(kMaxPayload + 1), std::uint16_t(0xffff)}) {
        const std::uint8_t header[kHeaderSize] = {0x29, 0x04, std::uint8_t(length), std::uint8_t(length >> 8)};
        EXPECT_EQ(PeekFrame(header, 3).state, FrameState::NeedMore);
        EXPECT_EQ(PeekFrame(header, sizeof header).state, FrameState::Broken) << length;
    }
}

// The fixed records, byte for byte as the other side reads them. Sizes and offsets are
// pinned by static asserts in the header; these check what the bytes mean.
#include <gtest/gtest.h>

#include <cstring>

#include "wire/Frame.h"
#include "wire/Packets.h"

TEST(Records, LoginRecordCarriesAccountThenPassword) {
    LoginRecord record{};
    record.account = 10001;
    std::strcpy(record.password, "secret");
    std::uint8_t bytes[sizeof record];
    std::memcpy(bytes, &record, sizeof record);
    EXPECT_EQ(kvxwire::ReadU32(bytes), 10001u);
    EXPECT_STREQ(reinterpret_cast<const char*>(bytes + 4), "secret");
    EXPECT_EQ(bytes[15], 0);
}

TEST(Records, SignupRequestFieldsSitWhereTheWizardPutsThem) {
    std::uint8_t bytes[sizeof(SignupRequestRecord)] = {};
    std::strcpy(reinterpret_cast<char*>(bytes), "nick");
    std::strcpy(reinterpret_cast<char*>(bytes + 32), "a@b.example");
    std::strcpy(reinterpret_cast<char*>(bytes + 124), "pw");
    SignupRequestRecord record;
    std::memcpy(&record, bytes, sizeof record);
    EXPECT_STREQ(record.nickname, "nick");
    EXPECT_STREQ(record.email, "a@b.example");
    EXPECT_STREQ(record.password, "pw");
}

TEST(Records, NumberedRecordsAreSignedLittleEndian) {
    SignupOkRecord ok{-2};
    std::uint8_t bytes[4];
    std::memcpy(bytes, &ok, sizeof ok);
    EXPECT_EQ(kvxwire::ReadU32(bytes), 0xfffffffeu);

    IpInfoRecord info{};
    info.account = 10000;
    const std::uint8_t address[4] = {192, 168, 1, 20};
    std::memcpy(info.address, address, sizeof address);
    std::uint8_t infoBytes[sizeof info];
    std::memcpy(infoBytes, &info, sizeof info);
    EXPECT_EQ(kvxwire::ReadU32(infoBytes), 10000u);
    EXPECT_EQ(infoBytes[4], 192);
    EXPECT_EQ(infoBytes[7], 20);
}

TEST(Records, EventHeadLengthIsReadFromPayloadOffsetTwo) {
    std::uint8_t payload[kEventDataOffset + 3] = {};
    kvxwire::WriteU16(payload + 2, 3);
    EventHead head;
    std::memcpy(&head, payload, sizeof head);
    EXPECT_EQ(head.length, 3);
    EXPECT_LE(kMaxEventData + sizeof(EventHead), 1024u);
}

TEST(Records, SignonRangeHoldsTheSignupPackets) {
    for (std::uint16_t type : {PKT_SIGNUP_REQUEST, PKT_SIGNUP_OK, PKT_SIGNUP_ERROR}) {
        EXPECT_GE(type, PKT_SIGNON_FIRST);
        EXPECT_LE(type, PKT_SIGNON_LAST);
    }
    EXPECT_LE(kMaxPassword + 1, kPasswordField);
}

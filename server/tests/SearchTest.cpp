// Finding users: by nickname prefix ignoring case, by whole e-mail address, by number, at
// most a full list of 15; and one user's profile by number.
#include <gtest/gtest.h>

#include <set>

#include "support/ContactClient.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"

namespace {

ProfileList Result(ContactClient& client, std::uint16_t type)
{
    const Frame frame = client.WaitPacket(type);
    EXPECT_EQ(frame.payload.size(), sizeof(ProfileList));
    ProfileList list{};
    std::memcpy(&list, frame.payload.data(), std::min(sizeof list, frame.payload.size()));
    return list;
}

std::set<std::string> Nicknames(const ProfileList& list)
{
    std::set<std::string> names;
    for (std::uint16_t i = 0; i < list.count; ++i) names.insert(list.entries[i].nickname);
    return names;
}

} // namespace

TEST(Search, ByNicknameEmailAndNumber)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient me(server.port(), "Seeker");
    ContactClient quake(server.port(), "QuakeFan");
    ContactClient other(server.port(), "quaker_1");
    ContactClient percent(server.port(), "100%Real");
    ASSERT_TRUE(me.LoggedIn() && quake.LoggedIn() && other.LoggedIn() && percent.LoggedIn());
    quake.Status(400, "away");
    quake.Settle();

    me.Search(SEARCH_BY_NICKNAME, "qUAKe");
    ProfileList list = Result(me, PKT_SEARCH_RESULT);
    EXPECT_EQ(Nicknames(list), (std::set<std::string>{"QuakeFan", "quaker_1"}));
    EXPECT_EQ(list.entries[0].account, quake.account()) << "lowest number first";
    EXPECT_EQ(list.entries[0].status, 400);
    EXPECT_STREQ(list.entries[0].email, "QuakeFan@example.com");

    me.Search(SEARCH_BY_NICKNAME, "quaker_");
    EXPECT_EQ(Nicknames(Result(me, PKT_SEARCH_RESULT)), std::set<std::string>{"quaker_1"}) << "_ is no wildcard";
    me.Search(SEARCH_BY_NICKNAME, "100%");
    EXPECT_EQ(Result(me, PKT_SEARCH_RESULT).count, 1);
    me.Search(SEARCH_BY_NICKNAME, "%");
    EXPECT_EQ(Result(me, PKT_SEARCH_RESULT).count, 0) << "% is no wildcard";

    me.Search(SEARCH_BY_EMAIL, "quakefan@EXAMPLE.com");
    list = Result(me, PKT_SEARCH_RESULT);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.entries[0].account, quake.account());
    me.Search(SEARCH_BY_EMAIL, "quakefan@example");
    EXPECT_EQ(Result(me, PKT_SEARCH_RESULT).count, 0) << "whole addresses only";

    me.Search(SEARCH_BY_ACCOUNT, std::to_string(other.account()));
    list = Result(me, PKT_SEARCH_RESULT);
    ASSERT_EQ(list.count, 1);
    EXPECT_STREQ(list.entries[0].nickname, "quaker_1");
    EXPECT_EQ(list.entries[0].status, 300);
    for (const char* bad : {"", "12x", "99999", "-10001", "99999999999999"}) {
        me.Search(SEARCH_BY_ACCOUNT, bad);
        EXPECT_EQ(Result(me, PKT_SEARCH_RESULT).count, 0) << bad;
    }
    me.Search(7, "Quake");
    EXPECT_EQ(Result(me, PKT_SEARCH_RESULT).count, 0) << "an unknown way to search finds nobody";
}

TEST(Search, AtMostOneFullList)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"), {"--signups-per-address", "100"});
    ContactClient me(server.port(), "Me");
    for (int i = 0; i < 20; ++i) {
        WireClient signup(server.port());
        ASSERT_EQ(signup.Version(BUILD_NUMBER), PKT_VERSION_OK);
        ASSERT_NE(signup.Signup("Many" + std::to_string(i), "m" + std::to_string(i) + "@example.com", "pw"), 0);
    }
    me.Search(SEARCH_BY_NICKNAME, "many");
    const ProfileList list = Result(me, PKT_SEARCH_RESULT);
    EXPECT_EQ(list.count, kMaxProfiles);
    EXPECT_STREQ(list.entries[0].nickname, "Many0");
    EXPECT_EQ(list.entries[0].status, 100);
}

TEST(Search, InfoHoldsOneProfileOrNone)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient me(server.port(), "Me");
    ContactClient her(server.port(), "Her");
    her.Status(600);
    her.Settle();
    me.Info(her.account());
    ProfileList list = Result(me, PKT_INFO_RESULT);
    ASSERT_EQ(list.count, 1);
    EXPECT_EQ(list.entries[0].account, her.account());
    EXPECT_EQ(list.entries[0].status, 600);
    EXPECT_STREQ(list.entries[0].nickname, "Her");
    EXPECT_STREQ(list.entries[0].email, "Her@example.com");
    for (std::int32_t unknown : {0, -1, 9999, her.account() + 1000}) {
        me.Info(unknown);
        EXPECT_EQ(Result(me, PKT_INFO_RESULT).count, 0) << unknown;
    }
}

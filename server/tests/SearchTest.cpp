// Finding users: by nickname prefix ignoring case, by whole e-mail address or by number,
// lowest number first and at most one full list of 15; and one user's profile by number.
#include "support/ServerTest.h"

using Search = ServerTest;

namespace {

ProfileList Result(Client& client, std::uint16_t type)
{
    const Frame frame = client.WaitPacket(type);
    EXPECT_EQ(frame.payload.size(), sizeof(ProfileList));
    ProfileList list{};
    std::memcpy(&list, frame.payload.data(), std::min(sizeof list, frame.payload.size()));
    return list;
}

} // namespace

TEST_F(Search, FindsByNicknameEmailOrNumberAtMostFifteenAndProfilesByNumber)
{
    std::int32_t quaker = 0;
    Seed([&](kvxserver::AccountStore& accounts, kvxserver::ContactStore&) {
        SeedAccount(accounts, "QuakeFan");
        quaker = SeedAccount(accounts, "quaker_1");
        SeedAccount(accounts, "100%Real");
        for (int i = 0; i < 16; ++i) SeedAccount(accounts, (i < 15 ? "ManyA" : "ManyB") + std::to_string(i));
    });
    Start();
    Client me(port(), "Seeker"), fan(port(), 10000);
    std::string fifteen;
    for (int i = 0; i < 15; ++i) fifteen += "ManyA" + std::to_string(i) + " ";
    const struct {
        std::uint8_t by;
        std::string text, found; // nicknames, in the order given
    } cases[] = {
        {SEARCH_BY_NICKNAME, "qUAKe", "QuakeFan quaker_1 "},
        {SEARCH_BY_NICKNAME, "quaker_", "quaker_1 "}, // _ and % are no wildcards
        {SEARCH_BY_NICKNAME, "100%", "100%Real "},
        {SEARCH_BY_NICKNAME, "%", ""},
        {SEARCH_BY_NICKNAME, "ManyA", fifteen},
        {SEARCH_BY_NICKNAME, "Many", fifteen}, // sixteen match
        {SEARCH_BY_NICKNAME, "", ""},
        {SEARCH_BY_EMAIL, "quakefan@EXAMPLE.com", "QuakeFan "},
        {SEARCH_BY_EMAIL, "quakefan@example", ""},
        {SEARCH_BY_ACCOUNT, std::to_string(quaker), "quaker_1 "},
        {SEARCH_BY_ACCOUNT, "12x", ""},
        {SEARCH_BY_ACCOUNT, "99999", ""},
        {SEARCH_BY_ACCOUNT, "-10001", ""},
        {SEARCH_BY_ACCOUNT, "99999999999999", ""},
        {7, "Quake", ""},
    };
    for (const auto& c : cases) {
        me.Search(c.by, c.text);
        const ProfileList list = Result(me, PKT_SEARCH_RESULT);
        std::string found;
        for (std::uint16_t i = 0; i < list.count && i < kMaxProfiles; ++i) found += list.entries[i].nickname + std::string(" ");
        EXPECT_EQ(found, c.found) << c.text;
    }
    fan.Put(PKT_STATUS, StatusRecord{400, 0, {}, ""});
    fan.Settle();
    me.Search(SEARCH_BY_NICKNAME, "QuakeFan");
    me.Put(PKT_INFO_REQUEST, AccountRecord{10000});
    for (const std::uint16_t type : {PKT_SEARCH_RESULT, PKT_INFO_RESULT}) {
        const ProfileList list = Result(me, type);
        EXPECT_EQ(list.count, 1);
        EXPECT_EQ(list.entries[0].account, 10000);
        EXPECT_EQ(list.entries[0].status, 400);
        EXPECT_STREQ(list.entries[0].nickname, "QuakeFan");
        EXPECT_STREQ(list.entries[0].email, "QuakeFan@example.com");
    }
    for (const std::int32_t unknown : {0, -1, 9999, 20000}) {
        me.Put(PKT_INFO_REQUEST, AccountRecord{unknown});
        EXPECT_EQ(Result(me, PKT_INFO_RESULT).count, 0) << unknown;
    }
}

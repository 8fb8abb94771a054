// Finding users: by nickname prefix ignoring case, by whole e-mail address or by number,
// lowest number first and at most one full list of 15; and one user's profile by number.
#include "support/ServerTest.h"

using Search = ServerTest;

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
    fan.Put(PKT_STATUS, StatusRecord{400, 0, {}, ""});
    fan.Settle();
    const Profile profile{10000, 400, 0, "QuakeFan", "QuakeFan@example.com"}; // online, away
    std::string fifteen;
    for (int i = 0; i < 15; ++i) fifteen += "ManyA" + std::to_string(i) + " ";
    // found: the nicknames, in the order given
    const struct {
        std::uint16_t type, by;
        std::string text, found;
    } cases[] = {
        {PKT_SEARCH_RESULT, SEARCH_BY_NICKNAME, "qUAKe", "QuakeFan quaker_1 "},
        {PKT_SEARCH_RESULT, SEARCH_BY_NICKNAME, "quake_", ""}, // _ and % are no wildcards
        {PKT_SEARCH_RESULT, SEARCH_BY_NICKNAME, "100%", "100%Real "},
        {PKT_SEARCH_RESULT, SEARCH_BY_NICKNAME, "%", ""},
        {PKT_SEARCH_RESULT, SEARCH_BY_NICKNAME, "Many", fifteen}, // sixteen match
        {PKT_SEARCH_RESULT, SEARCH_BY_NICKNAME, "", ""},
        {PKT_SEARCH_RESULT, SEARCH_BY_EMAIL, "quakefan@EXAMPLE.com", "QuakeFan "},
        {PKT_SEARCH_RESULT, SEARCH_BY_EMAIL, "quakefan@example", ""},
        {PKT_SEARCH_RESULT, SEARCH_BY_ACCOUNT, std::to_string(quaker), "quaker_1 "},
        {PKT_SEARCH_RESULT, SEARCH_BY_ACCOUNT, "12x", ""},
        {PKT_SEARCH_RESULT, SEARCH_BY_ACCOUNT, "99999999999999", ""},
        {PKT_SEARCH_RESULT, 7, "Quake", ""},
        {PKT_INFO_RESULT, 0, "10000", "QuakeFan "},
        {PKT_INFO_RESULT, 0, "99999", ""},
    };
    for (const auto& c : cases) {
        SearchRecord search{std::uint8_t(c.by), {}, {}};
        c.text.copy(search.text, sizeof search.text - 1);
        if (c.type == PKT_SEARCH_RESULT) me.Put(PKT_SEARCH, search);
        else me.Put(PKT_INFO_REQUEST, AccountRecord{std::stoi(c.text)});
        const Packet answer = me.WaitPacket(c.type);
        ProfileList list{};
        ASSERT_EQ(answer.payload.size(), sizeof list) << c.text;
        std::memcpy(&list, answer.payload.data(), sizeof list);
        std::string found;
        for (std::uint16_t i = 0; i < std::min<std::size_t>(list.count, kMaxProfiles); ++i)
            found += list.entries[i].nickname + std::string(" ");
        EXPECT_EQ(found, c.found) << c.text;
        if (c.found.rfind("QuakeFan", 0) == 0) EXPECT_EQ(std::memcmp(&list.entries[0], &profile, sizeof profile), 0);
    }
}

// Contact packets that make no sense: too short, about unknown accounts or one's own, or
// sent before logging in. None changes a list, stores an event or tells anyone anything,
// and the connection goes on being served.
#include <gtest/gtest.h>

#include "support/ContactClient.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"

namespace {

bool Quiet(const std::vector<Event>& events)
{
    for (const Event& event : events) {
        if (event.kind != EVENT_PRESENCE) return false;
    }
    return true;
}

} // namespace

TEST(ContactInput, ShortRecordsChangeNothing)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), "Ann");
    ContactClient bob(server.port(), "Bob");
    ASSERT_TRUE(ann.LoggedIn() && bob.LoggedIn());
    ann.Add(bob.account());
    ann.Settle();
    bob.Settle();

    std::uint8_t bytes[sizeof(MessageSendRecord)] = {};
    const std::int32_t target = bob.account();
    std::memcpy(bytes, &target, sizeof target);
    bytes[8] = 'x';
    const struct {
        std::uint16_t type;
        std::size_t size;
    } cuts[] = {
        {PKT_CONTACT_ADD, 3},
        {PKT_CONTACT_DELETE, 3},
        {PKT_MESSAGE_SEND, sizeof(MessageSendRecord) - 1},
        {PKT_CHAT_LINE, sizeof(ChatLineRecord) - 1},
        {PKT_STATUS, sizeof(StatusRecord) - 1},
        {PKT_EVENT_ACK, 2},
        {PKT_INFO_REQUEST, 0},
        {PKT_SEARCH, sizeof(SearchRecord) - 1},
    };
    for (const auto& cut : cuts) ASSERT_TRUE(ann.wire().Send(cut.type, bytes, cut.size)) << cut.type;

    const std::vector<Event> answers = ann.Settle();
    EXPECT_TRUE(answers.empty()) << answers.size() << " events, first kind " << answers[0].kind;
    EXPECT_TRUE(Quiet(bob.Settle()));
    // Bob is still on the list, online; nothing but Ann's notice was stored for him.
    const ContactClient::ListReply list = ann.RequestList();
    ASSERT_EQ(list.contacts.size(), 1u);
    EXPECT_EQ(list.contacts[0].status, 300);
    const ContactClient::ListReply bobs = bob.RequestList();
    ASSERT_EQ(bobs.stored.size(), 1u);
    EXPECT_EQ(bobs.stored[0].kind, EVENT_ADDED_YOU);
}

TEST(ContactInput, UnknownAccountsAndOnesOwnChangeNothing)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), "Ann");
    ASSERT_TRUE(ann.LoggedIn());
    for (std::int32_t account : {ann.account(), ann.account() + 1, 0, -5, 9999}) {
        ann.Add(account);
        ann.Delete(account);
        ann.Message(account, 9, "into the void");
        ann.Chat(account, "hello?");
    }
    ann.Message(ann.account() + 1, 9, "");
    EXPECT_TRUE(ann.Settle().empty());
    const ContactClient::ListReply reply = ann.RequestList();
    EXPECT_TRUE(reply.complete);
    EXPECT_TRUE(reply.contacts.empty());
    EXPECT_TRUE(reply.stored.empty()) << "nothing to oneself either";

    // An account created afterwards finds nothing waiting.
    ContactClient bob(server.port(), "Bob");
    ASSERT_EQ(bob.account(), ann.account() + 1);
    EXPECT_TRUE(bob.RequestList().stored.empty());
}

TEST(ContactInput, BeforeLoginTheyMeanNothingAndALongRunDrops)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    WireClient early(server.port());
    ASSERT_EQ(early.Version(BUILD_NUMBER), PKT_VERSION_OK);
    ASSERT_TRUE(early.Send(PKT_CONTACTS_REQUEST));
    const SearchRecord search{SEARCH_BY_NICKNAME, {}, "a"};
    ASSERT_TRUE(early.Send(PKT_SEARCH, &search, sizeof search));
    EXPECT_EQ(early.Receive(300).type, 0) << "no answer before login";

    // Once logged in, short records count as packets that mean nothing.
    ContactClient ann(server.port(), "Ann");
    ASSERT_TRUE(ann.LoggedIn());
    for (unsigned i = 0; i <= 100; ++i) ann.wire().Send(PKT_CONTACT_ADD, "", 1);
    EXPECT_TRUE(ann.wire().ClosedWithin(3000));
}

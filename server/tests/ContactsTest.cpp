// Contact lists and presence between real clients: adding tells the added user, the list
// keeps the order of adding up to its cap and lives in the database, and every change of
// presence reaches exactly the users whose lists hold the account. Senseless contact
// packets change nothing. A thousand stored events come whole, however big the answer. A
// contact ping is relayed to every session of an online contact and its answer back to the
// pinger, or answered "offline" at once.
#include <arpa/inet.h>

#include "support/ServerTest.h"

using Contacts = ServerTest;

TEST_F(Contacts, AddingTellsTheAddedUserOnceDeletingStopsTheNoticesAndSenselessPacketsChangeNothing)
{
    Start();
    Client ann(port(), "Ann"), bob(port(), "Bob");
    ann.Put(PKT_CONTACT_ADD, AccountRecord{bob.account()});
    const ContactRecord entry = ann.WaitEvent(EVENT_CONTACT, bob.account()).As<ContactRecord>();
    EXPECT_STREQ(entry.nickname, "Bob");
    EXPECT_EQ(entry.eventId, 0u);
    const ContactRecord adder = bob.WaitEvent(EVENT_ADDED_YOU, ann.account()).As<ContactRecord>();
    EXPECT_STREQ(adder.nickname, "Ann");
    EXPECT_EQ(adder.addFlag, 1) << "Ann is not on Bob's list";
    EXPECT_NE(adder.eventId, 0u);
    // Bob adds back: Ann already lists him, so his notice offers nothing to add.
    bob.Put(PKT_CONTACT_ADD, AccountRecord{ann.account()});
    EXPECT_EQ(ann.WaitEvent(EVENT_ADDED_YOU, bob.account()).As<ContactRecord>().addFlag, 0);
    // Adding again answers the entry again and tells nobody twice.
    ann.Put(PKT_CONTACT_ADD, AccountRecord{bob.account()});
    EXPECT_EQ(ann.WaitEvent(EVENT_CONTACT, bob.account()).kind, EVENT_CONTACT);
    EXPECT_FALSE(Has(bob.Settle(), EVENT_ADDED_YOU));

    // Records cut short; one's own account, one that does not exist, ones below the first
    // number; an empty message.
    const MessageSendRecord bytes{bob.account(), 0, "x"}; // every record starts with the account it is about
    // Each cut to where a missing length check would show (adding and deleting share one).
    const std::pair<std::uint16_t, std::size_t> cuts[] = {{PKT_CONTACT_ADD, 3},
                                                          {PKT_MESSAGE_SEND, sizeof(MessageSendRecord) - 1},
                                                          {PKT_CHAT_LINE, sizeof(ChatLineRecord) - 1},
                                                          {PKT_SEARCH, sizeof(SearchRecord) - 1}};
    for (const auto& [type, size] : cuts) ann.Send(type, &bytes, size);
    for (const std::int32_t account : {ann.account(), bob.account() + 1, 0, -5, 9999}) {
        ann.Put(PKT_CONTACT_ADD, AccountRecord{account});
        ann.Put(PKT_MESSAGE_SEND, MessageSendRecord{account, 9, "into the void"});
        ann.Put(PKT_CHAT_LINE, ChatLineRecord{account, 0, "hello?"});
    }
    ann.Put(PKT_MESSAGE_SEND, MessageSendRecord{bob.account(), 9, ""});
    EXPECT_TRUE(ann.Settle().empty());
    for (const Event& event : bob.Settle()) EXPECT_EQ(event.kind, EVENT_PRESENCE);
    const Client::List list = ann.RequestList();
    ASSERT_EQ(list.contacts.size(), 1u);
    ASSERT_EQ(list.stored.size(), 1u) << "Bob's notice only, nothing to oneself";
    ASSERT_EQ(bob.RequestList().stored.size(), 1u) << "Ann's notice only";

    // Deleting stops the notices; deleting what is not listed answers nothing.
    ann.Put(PKT_CONTACT_DELETE, AccountRecord{bob.account()});
    EXPECT_EQ(ann.WaitEvent(EVENT_CONTACT_REMOVED, bob.account()).As<AccountRecord>().account, bob.account());
    bob.Put(PKT_STATUS, StatusRecord{400, 0, {}, "x"});
    bob.Settle();
    ann.Put(PKT_CONTACT_DELETE, AccountRecord{bob.account()});
    const std::vector<Event> after = ann.Settle();
    EXPECT_FALSE(Has(after, EVENT_PRESENCE) || Has(after, EVENT_CONTACT_REMOVED));
}

TEST_F(Contacts, TheListKeepsTheOrderOfAddingUpToAThousandAcrossARestartAsAThousandStoredEventsComeWhole)
{
    std::int32_t owner = 0;
    std::vector<std::int32_t> others;
    std::uint32_t oldest = 0;
    Seed([&](kvxserver::AccountStore& accounts, kvxserver::ContactStore& contacts) {
        owner = SeedAccount(accounts, "Owner");
        for (int i = 0; i <= kvxserver::ContactStore::kMaxContacts; ++i)
            others.push_back(SeedAccount(accounts, "Other" + std::to_string(i)));
        // Listed from the highest number down: the order of adding, not of numbers.
        for (int i = kvxserver::ContactStore::kMaxContacts - 2; i >= 0; --i) contacts.Add(owner, others[i]);
        oldest = contacts.StoreEvent(others[0], EVENT_MESSAGE, owner, 0, "backlog");
        for (int i = 2; i < kvxserver::ContactStore::kMaxStoredEvents; ++i)
            contacts.StoreEvent(others[0], EVENT_MESSAGE, owner, 0, "backlog");
    });
    std::vector<std::int32_t> expected(others.rbegin() + 2, others.rend());
    Start();
    Client me(port(), owner);
    me.Put(PKT_CONTACT_ADD, AccountRecord{others[999]}); // the thousandth
    EXPECT_EQ(me.WaitEvent(EVENT_CONTACT, others[999]).kind, EVENT_CONTACT);
    me.Put(PKT_CONTACT_ADD, AccountRecord{others[1000]}); // one too many
    EXPECT_FALSE(Has(me.Settle(), EVENT_CONTACT));
    expected.push_back(others[999]);
    me.Put(PKT_MESSAGE_SEND, MessageSendRecord{others[0], 1000, "the thousandth"});
    me.Put(PKT_MESSAGE_SEND, MessageSendRecord{others[0], 1001, "one too many"});
    std::vector<std::uint32_t> answered;
    for (const Event& event : me.Settle()) answered.push_back(event.As<MessageSentRecord>().clientTag);
    EXPECT_EQ(answered, std::vector<std::uint32_t>{1000});

    // An answer of a thousand messages is about 1 MB: far beyond the 64 KiB of replies at
    // which a connection's input waits, within the 2 MiB at which it is dropped. A list
    // request, an acknowledgement and two more, in one write, read only afterwards.
    Client reader(port(), others[0]);
    const std::string request = Frame(PKT_CONTACTS_REQUEST);
    ASSERT_TRUE(reader.SendRaw(request + Frame(PKT_EVENT_ACK, BytesOf(EventAckRecord{oldest})) + request + request));
    std::vector<std::size_t> lists;
    for (const Event& event : reader.Settle()) {
        if (event.kind == EVENT_CONTACTS_END) lists.push_back(0);
        else if (event.kind == EVENT_MESSAGE && !lists.empty()) ++lists.back();
    }
    EXPECT_EQ(lists, (std::vector<std::size_t>{1000, 999, 999}));
    ASSERT_EQ(Stop(SIGTERM), 0);
    Start();
    const Client::List list = Client(port(), owner).RequestList();
    std::vector<std::int32_t> listed;
    for (const ContactRecord& entry : list.contacts) listed.push_back(entry.account);
    EXPECT_EQ(listed, expected);
    EXPECT_STREQ(list.contacts[0].nickname, "Other998");
}

TEST_F(Contacts, PresenceReachesEveryWatcherAndNobodyElseAPingEverySessionAndOfflineIsTheLastSessionsEnd)
{
    Start();
    Client ann(port(), "Ann"), bob(port(), "Bob"), cat(port(), "Cat");
    auto dan = std::make_unique<Client>(port(), "Dan"); // lists nobody
    ann.Put(PKT_CONTACT_ADD, AccountRecord{cat.account()});
    bob.Put(PKT_CONTACT_ADD, AccountRecord{cat.account()});
    cat.Put(PKT_CONTACT_ADD, AccountRecord{ann.account()});
    for (Client* c : {&ann, &bob, &cat, dan.get()}) c->Settle();
    GameSpot spot{inet_addr("192.0.2.7"), 27910, "q2dm1 3/8"};
    // shown: a status below 300 is shown as offline, without the rest
    const struct {
        std::uint16_t status;
        const char* away;
        std::uint16_t shown;
    } changes[] = {{400, "Out for lunch", 400}, {299, "gone", 100}, {300, "", 300}, {700, "x", 700}};
    for (const auto& c : changes) {
        StatusRecord status{c.status, 0, spot, {}};
        std::strcpy(status.away, c.away);
        cat.Put(PKT_STATUS, status);
        for (Client* watcher : {&ann, &bob}) {
            const ContactRecord seen = watcher->WaitEvent(EVENT_PRESENCE, cat.account()).As<ContactRecord>();
            EXPECT_EQ(seen.status, c.shown) << c.status;
            EXPECT_STREQ(seen.nickname, "Cat");
            EXPECT_STREQ(seen.away, c.shown < 300 ? "" : c.away) << c.status;
            EXPECT_STREQ(seen.game.info, c.shown < 300 ? "" : "q2dm1 3/8") << c.status;
        }
    }
    EXPECT_EQ(ann.RequestList().contacts.at(0).status, 700) << "the list shows the presence as it is now";
    for (Client* other : {&cat, dan.get()}) EXPECT_FALSE(Has(other->Settle(), EVENT_PRESENCE));
    ann.Put(PKT_STATUS, StatusRecord{500, 0, {}, "Not here"});
    EXPECT_STREQ(cat.WaitEvent(EVENT_PRESENCE, ann.account()).As<ContactRecord>().away, "Not here");
    EXPECT_FALSE(Has(bob.Settle(), EVENT_PRESENCE));

    // An account goes offline when its last session ends and comes back with its next login.
    const std::int32_t dave = dan->account();
    ann.Put(PKT_CONTACT_ADD, AccountRecord{dave});
    EXPECT_EQ(ann.WaitEvent(EVENT_CONTACT, dave).As<ContactRecord>().status, 300);
    {
        Client second(port(), dave);
        second.Put(PKT_STATUS, StatusRecord{400, 0, {}, "On the laptop"});
        EXPECT_EQ(ann.WaitEvent(EVENT_PRESENCE, dave).As<ContactRecord>().status, 400);
        ann.Put(PKT_CONTACT_PING, PingRecord{dave, 0, 42, 0, 0});
        for (Client* session : {dan.get(), &second})
            EXPECT_EQ(session->WaitEvent(EVENT_PING, ann.account()).As<PingRecord>().tag, 42u);
        dan->Put(PKT_PING_REPLY, PingRecord{ann.account(), 0, 42, PING_OFFLINE, 0});
        const PingRecord reply = ann.WaitEvent(EVENT_PING_REPLY, dave).As<PingRecord>();
        EXPECT_TRUE(reply.tag == 42 && reply.result == PING_ANSWERED) << "the server sets the result, not the answerer";
    }
    dan->Put(PKT_STATUS, StatusRecord{300, 0, {}, ""});
    EXPECT_EQ(ann.WaitEvent(EVENT_PRESENCE, dave).As<ContactRecord>().status, 300) << "no notice for the first to end";
    dan.reset(); // closed without a word
    const ContactRecord gone = ann.WaitEvent(EVENT_PRESENCE, dave).As<ContactRecord>();
    EXPECT_EQ(gone.status, 100);
    EXPECT_STREQ(gone.away, "");
    for (const std::int32_t to : {dave, ann.account(), dave + 1000, 5})
        ann.Put(PKT_CONTACT_PING, PingRecord{to, 0, std::uint32_t(to), 0, 0});
    const std::vector<Event> answers = ann.Settle();
    ASSERT_EQ(answers.size(), 1u) << "oneself, unknown accounts and reserved numbers get nothing";
    EXPECT_EQ(answers[0].from, dave);
    EXPECT_EQ(answers[0].As<PingRecord>().tag, std::uint32_t(dave));
    EXPECT_EQ(answers[0].As<PingRecord>().result, PING_OFFLINE);
    Client back(port(), dave);
    EXPECT_EQ(ann.WaitEvent(EVENT_PRESENCE, dave).As<ContactRecord>().status, 300) << "logging in is seen";
}

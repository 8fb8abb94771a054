// Contact lists over the wire: adding answers the entry with its presence and tells the
// added user, the list comes back in the order entries were added, deleting takes an entry
// off, and lists live in the database across restarts.
#include <gtest/gtest.h>

#include <signal.h>

#include "support/ContactClient.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"

namespace {

std::vector<std::int32_t> Accounts(const ContactClient::ListReply& reply)
{
    std::vector<std::int32_t> accounts;
    for (const ContactRecord& record : reply.contacts) accounts.push_back(record.account);
    return accounts;
}

} // namespace

TEST(ContactList, AddingAnswersTheEntryAndTellsTheAddedUser)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), "Ann");
    ContactClient bob(server.port(), "Bob");
    ASSERT_TRUE(ann.LoggedIn() && bob.LoggedIn());

    ann.Add(bob.account());
    const ContactRecord entry = ann.WaitEvent(EVENT_CONTACT, bob.account()).As<ContactRecord>();
    EXPECT_EQ(entry.account, bob.account());
    EXPECT_STREQ(entry.nickname, "Bob");
    EXPECT_EQ(entry.status, 300) << "Bob is logged in";
    EXPECT_EQ(entry.eventId, 0u);

    const Event notice = bob.WaitEvent(EVENT_ADDED_YOU, ann.account());
    ASSERT_EQ(notice.kind, EVENT_ADDED_YOU);
    const ContactRecord adder = notice.As<ContactRecord>();
    EXPECT_EQ(adder.account, ann.account());
    EXPECT_STREQ(adder.nickname, "Ann");
    EXPECT_EQ(adder.addFlag, 1) << "Ann is not on Bob's list";
    EXPECT_NE(adder.eventId, 0u);

    // Adding back: Ann already lists Bob, so her notice offers nothing to add.
    bob.Add(ann.account());
    ASSERT_EQ(bob.WaitEvent(EVENT_CONTACT, ann.account()).kind, EVENT_CONTACT);
    EXPECT_EQ(ann.WaitEvent(EVENT_ADDED_YOU, bob.account()).As<ContactRecord>().addFlag, 0);

    // Adding an entry that is already there answers it again and tells nobody twice.
    ann.Add(bob.account());
    ASSERT_EQ(ann.WaitEvent(EVENT_CONTACT, bob.account()).kind, EVENT_CONTACT);
    for (const Event& event : bob.Settle()) EXPECT_NE(event.kind, EVENT_ADDED_YOU);
}

TEST(ContactList, ComesBackInOrderAndSurvivesARestart)
{
    TempDir dir;
    std::int32_t owner = 0;
    std::vector<std::int32_t> added;
    {
        ServerProcess server(dir.File("kvx.db"));
        ContactClient me(server.port(), "Owner");
        ASSERT_TRUE(me.LoggedIn());
        owner = me.account();
        for (const char* name : {"Zed", "Amy", "Max"}) {
            ContactClient other(server.port(), name);
            ASSERT_TRUE(other.LoggedIn());
            added.push_back(other.account());
        }
        // Added out of number order: the list keeps the order of adding, not of numbers.
        std::swap(added[0], added[2]);
        for (std::int32_t account : added) me.Add(account);
        me.Settle();
        ContactClient::ListReply reply = me.RequestList();
        ASSERT_TRUE(reply.complete);
        EXPECT_EQ(Accounts(reply), added);

        me.Delete(added[1]);
        const Event removed = me.WaitEvent(EVENT_CONTACT_REMOVED);
        EXPECT_EQ(removed.As<AccountRecord>().account, added[1]);
        added.erase(added.begin() + 1);
        EXPECT_EQ(server.Stop(SIGTERM), 0);
    }
    ServerProcess again(dir.File("kvx.db"));
    ContactClient me(again.port(), owner, "pw");
    ASSERT_TRUE(me.LoggedIn());
    const ContactClient::ListReply reply = me.RequestList();
    ASSERT_TRUE(reply.complete);
    EXPECT_EQ(Accounts(reply), added);
    EXPECT_STREQ(reply.contacts[0].nickname, "Max");
}

TEST(ContactList, DeletingWhatIsNotListedAnswersNothing)
{
    TempDir dir;
    ServerProcess server(dir.File("kvx.db"));
    ContactClient ann(server.port(), "Ann");
    ContactClient bob(server.port(), "Bob");
    ASSERT_TRUE(ann.LoggedIn() && bob.LoggedIn());
    ann.Delete(bob.account());
    for (const Event& event : ann.Settle()) EXPECT_NE(event.kind, EVENT_CONTACT_REMOVED);
}

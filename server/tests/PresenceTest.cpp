// Presence fan-out between real clients: logging in, every change of status with its away
// message and game spot, going offline and dropping the connection all reach exactly the
// users whose lists hold the account.
#include <gtest/gtest.h>

#include <arpa/inet.h>

#include <memory>

#include "support/ContactClient.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"

namespace {

class Presence : public ::testing::Test {
protected:
    void SetUp() override
    {
        server_ = std::make_unique<ServerProcess>(dir_.File("kvx.db"));
        ASSERT_NE(server_->port(), 0);
    }

    std::unique_ptr<ContactClient> Client(const std::string& nickname)
    {
        auto client = std::make_unique<ContactClient>(server_->port(), nickname);
        EXPECT_TRUE(client->LoggedIn()) << nickname;
        return client;
    }

    TempDir dir_;
    std::unique_ptr<ServerProcess> server_;
};

} // namespace

TEST_F(Presence, ChangesReachEveryWatcherAndNobodyElse)
{
    auto ann = Client("Ann");
    auto bob = Client("Bob");
    auto cat = Client("Cat");
    auto dan = Client("Dan"); // lists nobody
    // Ann and Bob both list Cat; Cat lists Ann.
    ann->Add(cat->account());
    bob->Add(cat->account());
    cat->Add(ann->account());
    for (auto* c : {ann.get(), bob.get(), cat.get(), dan.get()}) c->Settle();

    GameSpot spot{};
    spot.addr = inet_addr("192.0.2.7");
    spot.port = 27910;
    std::strcpy(spot.info, "q2dm1 3/8");
    cat->Status(600, "", spot);
    for (auto* watcher : {ann.get(), bob.get()}) {
        const ContactRecord seen = watcher->WaitPresence(cat->account(), 600);
        EXPECT_EQ(seen.account, cat->account());
        EXPECT_STREQ(seen.nickname, "Cat");
        EXPECT_EQ(seen.game.addr, spot.addr);
        EXPECT_EQ(seen.game.port, 27910);
        EXPECT_STREQ(seen.game.info, "q2dm1 3/8");
    }

    cat->Status(400, "Out for lunch");
    for (auto* watcher : {ann.get(), bob.get()}) {
        const ContactRecord seen = watcher->WaitPresence(cat->account(), 400);
        EXPECT_STREQ(seen.away, "Out for lunch");
        EXPECT_EQ(seen.game.port, 0) << "the game spot went with the game";
    }
    // The list shows the presence as it is now.
    const ContactClient::ListReply list = ann->RequestList();
    ASSERT_EQ(list.contacts.size(), 1u);
    EXPECT_EQ(list.contacts[0].status, 400);
    EXPECT_STREQ(list.contacts[0].away, "Out for lunch");

    // Cat's own list holds Ann; Cat hears nothing of its own change, Dan nothing at all.
    for (const Event& event : cat->Settle()) EXPECT_NE(event.kind, EVENT_PRESENCE);
    for (const Event& event : dan->Settle()) EXPECT_NE(event.kind, EVENT_PRESENCE);

    ann->Status(500, "Not here");
    EXPECT_STREQ(cat->WaitPresence(ann->account(), 500).away, "Not here");
    for (const Event& event : bob->Settle()) {
        if (event.kind == EVENT_PRESENCE) EXPECT_NE(event.As<ContactRecord>().account, ann->account());
    }
}

TEST_F(Presence, LoggingInAndOutAndDroppingAreSeen)
{
    auto ann = Client("Ann");
    std::int32_t bobAccount = 0;
    {
        auto bob = Client("Bob");
        bobAccount = bob->account();
        ann->Add(bobAccount);
        EXPECT_EQ(ann->WaitEvent(EVENT_CONTACT, bobAccount).As<ContactRecord>().status, 300);

        bob->Status(100);
        const ContactRecord gone = ann->WaitPresence(bobAccount, 100);
        EXPECT_EQ(gone.account, bobAccount) << "status 100 is shown as offline";
        bob->Status(300);
        EXPECT_EQ(ann->WaitPresence(bobAccount, 300).account, bobAccount);
        bob->Status(400, "Brb");
        EXPECT_EQ(ann->WaitPresence(bobAccount, 400).account, bobAccount);
    } // Bob's connection is closed without a word: watchers see him offline.
    const ContactRecord dropped = ann->WaitPresence(bobAccount, 100);
    EXPECT_EQ(dropped.account, bobAccount);
    EXPECT_STREQ(dropped.away, "") << "nothing of the last presence stays";

    ContactClient back(server_->port(), bobAccount, "pw");
    ASSERT_TRUE(back.LoggedIn());
    EXPECT_EQ(ann->WaitPresence(bobAccount, 300).account, bobAccount) << "logging in is seen";
    EXPECT_EQ(ann->RequestList().contacts.at(0).status, 300);
}

TEST_F(Presence, TwoSessionsOfOneAccountGoOfflineWithTheLast)
{
    auto ann = Client("Ann");
    auto bob = Client("Bob");
    ann->Add(bob->account());
    ann->Settle();
    {
        ContactClient second(server_->port(), bob->account(), "pw");
        ASSERT_TRUE(second.LoggedIn());
        second.Status(400, "On the laptop");
        EXPECT_EQ(ann->WaitPresence(bob->account(), 400).account, bob->account());
    }
    // One session of Bob is left: no offline notice for the one that closed.
    bob->Status(300);
    EXPECT_EQ(ann->WaitPresence(bob->account(), 300).account, bob->account());
    for (const Event& event : ann->Settle()) {
        if (event.kind == EVENT_PRESENCE) EXPECT_NE(event.As<ContactRecord>().status, 100);
    }
    const std::int32_t bobAccount = bob->account();
    bob.reset();
    EXPECT_EQ(ann->WaitPresence(bobAccount, 100).account, bobAccount);
}

TEST_F(Presence, AddingAndDeletingStartAndStopTheNotices)
{
    auto ann = Client("Ann");
    auto bob = Client("Bob");
    ann->Add(bob->account());
    ann->Settle();
    bob->Status(400, "x");
    EXPECT_EQ(ann->WaitPresence(bob->account(), 400).account, bob->account());
    ann->Delete(bob->account());
    ASSERT_EQ(ann->WaitEvent(EVENT_CONTACT_REMOVED).kind, EVENT_CONTACT_REMOVED);
    bob->Status(500, "y");
    bob->Settle(); // Bob's change is handled before Ann's next request
    for (const Event& event : ann->Settle()) EXPECT_NE(event.kind, EVENT_PRESENCE);
}

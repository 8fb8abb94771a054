// The demo mode of the run command: the demo account is made once per database and written
// where asked, its demo contacts come and go on their own, and the greeting waits for it.
#include <fstream>
#include <set>
#include <sstream>

#include "support/ServerTest.h"

using Demo = ServerTest;

TEST_F(Demo, TheAccountIsMadeOnceAndItsContactsComeAndGo)
{
    const auto demoFile = [this] { return (std::stringstream() << std::ifstream(File("demo.txt")).rdbuf()).str(); };
    Start({"--demo", "--demo-file", File("demo.txt")});
    EXPECT_EQ(demoFile(), "ID=10000\nPW=kvxdemo\n");
    Client demo(port(), 10000, "kvxdemo");
    const Client::List list = demo.RequestList();
    ASSERT_EQ(list.stored.size(), 1u);
    EXPECT_STREQ(list.stored[0].As<MessageRecord>().nickname, "Rocket Rita");
    demo.Put(PKT_EVENT_ACK, EventAckRecord{list.stored[0].As<MessageRecord>().messageId});
    // Each at its own point of the round, and every step (4 s) moves them on: within a step,
    // one is playing, one away and one offline.
    ASSERT_EQ(list.contacts.size(), 3u);
    std::set<std::uint16_t> shown;
    for (const ContactRecord& bot : list.contacts) shown.insert(bot.status);
    shown.insert(demo.WaitEvent(EVENT_PRESENCE).As<ContactRecord>().status);
    EXPECT_TRUE(shown.count(600) && shown.count(400) && shown.count(100));
    demo.Settle(); // the acknowledgement is in
    ASSERT_EQ(Stop(SIGTERM), 0);
    Start({"--demo", "--demo-file", File("demo.txt")});
    EXPECT_EQ(demoFile(), "ID=10000\nPW=kvxdemo\n") << "the same account again";
    EXPECT_TRUE(Client(port(), 10000, "kvxdemo").RequestList().stored.empty()) << "one greeting only";
}

// The demo mode of the run command: the demo account is made once per database and written
// where asked, its demo contacts come and go on their own, and the greeting waits for it.
#include <gtest/gtest.h>

#include <signal.h>

#include <fstream>
#include <set>
#include <sstream>

#include "support/ContactClient.h"
#include "support/ServerProcess.h"
#include "support/TempDir.h"

namespace {

std::string Slurp(const std::string& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(Demo, TheAccountIsMadeOnceAndItsContactsComeAndGo)
{
    TempDir dir;
    const std::string file = dir.File("demo.txt");
    std::string first;
    {
        ServerProcess server(dir.File("kvx.db"), {"--demo", "--demo-file", file});
        ASSERT_NE(server.port(), 0);
        first = Slurp(file);
        ASSERT_EQ(first, "ID=10000\nPW=kvxdemo\n");
        ContactClient demo(server.port(), 10000, "kvxdemo");
        ASSERT_TRUE(demo.LoggedIn());

        ContactClient::ListReply reply = demo.RequestList();
        ASSERT_EQ(reply.contacts.size(), 3u);
        std::set<std::int32_t> bots;
        for (const ContactRecord& bot : reply.contacts) bots.insert(bot.account);
        ASSERT_FALSE(reply.stored.empty());
        const MessageRecord greeting = reply.stored[0].As<MessageRecord>();
        EXPECT_EQ(reply.stored[0].kind, EVENT_MESSAGE);
        EXPECT_EQ(bots.count(greeting.from), 1u);
        EXPECT_STREQ(greeting.nickname, "Rocket Rita");
        demo.Ack(greeting.messageId);

        // Within a round every kind of presence shows up: away with its text, a game with
        // its server, and offline.
        bool away = false, game = false, offline = false;
        for (int i = 0; i < 40 && !(away && game && offline); ++i) {
            const Event event = demo.WaitEvent(EVENT_PRESENCE, 0, 10000);
            ASSERT_EQ(event.kind, EVENT_PRESENCE);
            const ContactRecord seen = event.As<ContactRecord>();
            EXPECT_EQ(bots.count(seen.account), 1u);
            if (seen.status == 400 && seen.away[0] != '\0') away = true;
            if (seen.status == 600 && seen.game.port != 0 && seen.game.info[0] != '\0') game = true;
            if (seen.status == 100) offline = true;
        }
        EXPECT_TRUE(away && game && offline);
        EXPECT_EQ(server.Stop(SIGTERM), 0);
    }
    ServerProcess again(dir.File("kvx.db"), {"--demo", "--demo-file", file});
    ASSERT_NE(again.port(), 0);
    EXPECT_EQ(Slurp(file), first) << "the same account again";
    ContactClient demo(again.port(), 10000, "kvxdemo");
    const ContactClient::ListReply reply = demo.RequestList();
    EXPECT_EQ(reply.contacts.size(), 3u);
    EXPECT_TRUE(reply.stored.empty()) << "one greeting only";
    WireClient next(again.port());
    ASSERT_EQ(next.Version(BUILD_NUMBER), PKT_VERSION_OK);
    EXPECT_EQ(next.Signup("New", "new@example.com", "pw"), 10004) << "no demo accounts were added";
}

// The list file's text: what is read, what is kept untouched, what adding and removing write.
#include <gtest/gtest.h>

#include "ServerList.h"

using kvxprobe::ServerAddress;
using kvxprobe::ServerList;

TEST(ServerList, ReadsItsOwnSectionAndKeepsEveryOtherLineWordForWord)
{
    const std::string text = "; my servers\r\n[Other]\r\nServer=elsewhere:1\r\n[Quake2]\r\nServer=a.example:27911\r\n"
                             "  server = b.example  \r\nSERVER=A.EXAMPLE:27911\r\nServer=bad:99999\r\nServre=typo:5\r\n";
    ServerList list;
    list.Load(text);
    const std::vector<ServerAddress> servers = list.Servers();
    ASSERT_EQ(2u, servers.size()) << "duplicates count once";
    EXPECT_EQ(ServerAddress("a.example", 27911), servers[0]);
    EXPECT_EQ(ServerAddress("b.example", 27910), servers[1]);
    EXPECT_EQ((std::vector<std::string>{"Line 8: The port must be a number from 1 to 65535: '99999'.",
                                        "Line 9 is not Server=host:port."}),
              list.Problems());
    EXPECT_EQ(text, list.Text()) << "saving unchanged writes back every byte";
}

TEST(ServerList, AddGoesToTheEndOfItsSectionAndRemoveTakesEveryLineOfThatServer)
{
    const struct {
        std::string before;
        ServerAddress added, removed;
        std::string after;
    } cases[] = {
        {"", {"first", 27910}, {"none", 1}, "[Quake2]\r\nServer=first:27910\r\n"},
        {"[Window]\r\nx=1\r\n", {"q", 5}, {"none", 1}, "[Window]\r\nx=1\r\n\r\n[Quake2]\r\nServer=q:5\r\n"},
        {"[Quake2]\nServer=a:1\nserver=A:1\nServer=c:3\n\n[Later]\nk=v\n", {"b", 2}, {"a", 1},
         "[Quake2]\r\nServer=c:3\r\nServer=b:2\r\n\r\n[Later]\r\nk=v\r\n"},
    };
    for (const auto& c : cases) {
        ServerList list;
        list.Load(c.before);
        EXPECT_TRUE(list.Add(c.added));
        EXPECT_FALSE(list.Add(c.added)) << "listed already";
        EXPECT_EQ(c.removed.host() != "none", list.Remove(c.removed));
        EXPECT_FALSE(list.Remove(c.removed)) << "gone already";
        EXPECT_EQ(c.after, list.Text());
        ServerList again;
        again.Load(list.Text());
        EXPECT_EQ(c.after, again.Text()) << "read back the same";
    }
}

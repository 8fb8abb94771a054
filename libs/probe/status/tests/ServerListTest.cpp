// The list file's text: what is read, what is kept untouched, what adding and removing write.
#include <gtest/gtest.h>

#include "ServerList.h"

using kvxprobe::ServerAddress;
using kvxprobe::ServerList;

TEST(ServerList, ReadsServersOfItsSectionOnly)
{
    ServerList list;
    list.Load("; my servers\r\n"
              "[Other]\r\n"
              "Server=elsewhere:1\r\n"
              "[Quake2]\r\n"
              "Server=a.example:27911\r\n"
              "  server = b.example  \n"
              "SERVER=A.EXAMPLE:27911\r\n"
              "# a comment\r\n");
    const std::vector<ServerAddress> servers = list.Servers();
    ASSERT_EQ(servers.size(), 2u) << "duplicates count once";
    EXPECT_EQ(servers[0], ServerAddress("a.example", 27911));
    EXPECT_EQ(servers[1], ServerAddress("b.example", 27910));
    EXPECT_TRUE(list.Problems().empty());
}

TEST(ServerList, BadLinesAreReportedAndKeptWordForWord)
{
    const std::string text = "[Quake2]\r\n"
                             "Server=good:1\r\n"
                             "Server=bad:99999\r\n"
                             "Servre=typo:5\r\n"
                             "just text\r\n";
    ServerList list;
    list.Load(text);
    ASSERT_EQ(list.Servers().size(), 1u);
    ASSERT_EQ(list.Problems().size(), 3u);
    EXPECT_EQ(list.Problems()[0], "Line 3: The port must be a number from 1 to 65535: '99999'.");
    EXPECT_EQ(list.Problems()[1], "Line 4 is not Server=host:port.");
    EXPECT_EQ(list.Problems()[2], "Line 5 is not Server=host:port.");
    EXPECT_EQ(list.Text(), text) << "saving unchanged writes back every byte";

    ASSERT_TRUE(list.Add(ServerAddress("new", 2)));
    ASSERT_TRUE(list.Remove(ServerAddress("good", 1)));
    EXPECT_EQ(list.Text(), "[Quake2]\r\n"
                           "Server=bad:99999\r\n"
                           "Servre=typo:5\r\n"
                           "just text\r\n"
                           "Server=new:2\r\n");
}

TEST(ServerList, AddGoesToTheEndOfItsSectionAndMakesOneWhenMissing)
{
    ServerList empty;
    empty.Load("");
    ASSERT_TRUE(empty.Add(ServerAddress("first", 27910)));
    EXPECT_EQ(empty.Text(), "[Quake2]\r\nServer=first:27910\r\n");

    ServerList other;
    other.Load("[Window]\r\nx=1\r\n");
    ASSERT_TRUE(other.Add(ServerAddress("q", 5)));
    EXPECT_EQ(other.Text(), "[Window]\r\nx=1\r\n\r\n[Quake2]\r\nServer=q:5\r\n");

    ServerList middle;
    middle.Load("[Quake2]\nServer=a:1\n\n[Later]\nk=v\n");
    ASSERT_TRUE(middle.Add(ServerAddress("b", 2)));
    EXPECT_FALSE(middle.Add(ServerAddress("A", 1))) << "already listed";
    EXPECT_EQ(middle.Text(), "[Quake2]\r\nServer=a:1\r\nServer=b:2\r\n\r\n[Later]\r\nk=v\r\n");

    // What was added is read back the same.
    ServerList again;
    again.Load(middle.Text());
    EXPECT_EQ(again.Servers().size(), 2u);
    EXPECT_EQ(again.Text(), middle.Text());
}

TEST(ServerList, RemoveTakesEveryLineOfThatServerAndNothingElse)
{
    ServerList list;
    list.Load("[Quake2]\r\nServer=a:1\r\nServer=b:2\r\nserver=A:1\r\n");
    EXPECT_FALSE(list.Remove(ServerAddress("c", 1)));
    EXPECT_FALSE(list.Remove(ServerAddress("a", 2)));
    ASSERT_TRUE(list.Remove(ServerAddress("a", 1)));
    EXPECT_EQ(list.Text(), "[Quake2]\r\nServer=b:2\r\n");
    EXPECT_FALSE(list.Remove(ServerAddress("a", 1)));
}

// The list file's text: what is read, what is kept untouched, what adding and removing write.
#include <gtest/gtest.h>

#include <tuple>

#include "ServerList.h"

using kvxprobe::ServerAddress;
using kvxprobe::ServerList;

TEST(ServerList, ReadsItsOwnSectionAndKeepsEveryOtherLineWordForWord)
{
    const std::string text =
        "; mine\r\n[Other]\r\nServer=elsewhere:1\r\n[Quake2]\r\nServer=a.example:27911\r\n"
        "  server = b.example  \r\nSERVER=A.EXAMPLE:27911\r\nServer=bad:99999\r\nServre=typo:5\r\n";
    ServerList list;
    list.Load(text);
    EXPECT_EQ((std::vector<ServerAddress>{{"a.example", 27911}, {"b.example", 27910}}), list.Servers()) << "each once";
    EXPECT_EQ((std::vector<std::string>{"Line 8: The port must be a number from 1 to 65535: '99999'.",
                                        "Line 9 is not Server=host:port."}),
              list.Problems());
    EXPECT_EQ(text, list.Text()) << "saving unchanged writes back every byte";
}

TEST(ServerList, AddGoesToTheEndOfItsSectionAndRemoveTakesEveryLineOfThatServer)
{
    const std::tuple<std::string, ServerAddress, ServerAddress, std::string> cases[] = {
        // before, added, removed, after
        {"", {"first", 27910}, {"none", 1}, "[Quake2]\r\nServer=first:27910\r\n"},
        {"[Window]\r\nx=1\r\n", {"q", 5}, {"none", 1}, "[Window]\r\nx=1\r\n\r\n[Quake2]\r\nServer=q:5\r\n"},
        {"[Quake2]\nServer=a:1\nserver=A:1\nServer=c:3\n\n[Later]\nk=v\n",
         {"b", 2},
         {"a", 1},
         "[Quake2]\r\nServer=c:3\r\nServer=b:2\r\n\r\n[Later]\r\nk=v\r\n"}};
    for (const auto& [before, added, removed, after] : cases) {
        ServerList list;
        list.Load(before);
        EXPECT_TRUE(list.Add(added) && !list.Add(added)) << "added once";
        EXPECT_EQ(removed.host() != "none", list.Remove(removed));
        EXPECT_FALSE(list.Remove(removed)) << "gone already";
        EXPECT_EQ(after, list.Text());
        list.Load(list.Text());
        EXPECT_EQ(after, list.Text()) << "read back the same";
    }
}

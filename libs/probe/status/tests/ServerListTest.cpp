// The list file's text: what is read, what is kept untouched, what adding and removing write.
#include <gtest/gtest.h>

#include <tuple>

#include "ServerList.h"

using kvxprobe::ServerAddress;
using kvxprobe::ServerList;

TEST(ServerList, ReadsServersOfItsSectionAndKeepsEveryOtherLineWordForWord)
{
    const std::string text = "; my servers\r\n[Other]\r\nServer=elsewhere:1\r\n[Quake2]\r\nServer=a.example:27911\r\n"
                             "  server = b.example  \r\nSERVER=A.EXAMPLE:27911\r\n# a comment\r\nServer=bad:99999\r\n"
                             "Servre=typo:5\r\njust text\r\n";
    ServerList list;
    list.Load(text);
    const std::vector<ServerAddress> expected = {{"a.example", 27911}, {"b.example", 27910}}; // duplicates once
    EXPECT_EQ(list.Servers(), expected);
    EXPECT_EQ(list.Problems(),
              (std::vector<std::string>{"Line 9: The port must be a number from 1 to 65535: '99999'.",
                                        "Line 10 is not Server=host:port.", "Line 11 is not Server=host:port."}));
    EXPECT_EQ(list.Text(), text) << "saving unchanged writes back every byte";
}

TEST(ServerList, AddAppendsToItsSectionAndRemoveTakesEveryLineOfThatServer)
{
    // The text before, add (else remove), the server, then whether the list changed and the text after.
    const std::tuple<const char*, bool, ServerAddress, bool, const char*> cases[] = {
        {"", true, {"first", 27910}, true, "[Quake2]\r\nServer=first:27910\r\n"},
        {"[Window]\r\nx=1\r\n", true, {"q", 5}, true, "[Window]\r\nx=1\r\n\r\n[Quake2]\r\nServer=q:5\r\n"},
        {"[Quake2]\nServer=a:1\n\n[Later]\nk=v\n",
         true,
         {"b", 2},
         true,
         "[Quake2]\r\nServer=a:1\r\nServer=b:2\r\n\r\n[Later]\r\nk=v\r\n"},
        {"[Quake2]\r\nServer=a:1\r\n", true, {"A", 1}, false, "[Quake2]\r\nServer=a:1\r\n"},
        {"[Quake2]\r\nServer=a:1\r\nServer=b:2\r\nserver=A:1\r\nx\r\n",
         false,
         {"a", 1},
         true,
         "[Quake2]\r\nServer=b:2\r\nx\r\n"},
        {"[Quake2]\r\nServer=a:1\r\n", false, {"a", 2}, false, "[Quake2]\r\nServer=a:1\r\n"},
    };
    for (const auto& [before, add, server, changed, after] : cases) {
        ServerList list;
        list.Load(before);
        EXPECT_EQ(add ? list.Add(server) : list.Remove(server), changed) << before;
        EXPECT_EQ(list.Text(), after) << before;
        ServerList again; // what was written reads back the same
        again.Load(list.Text());
        EXPECT_EQ(again.Text(), after);
    }
}

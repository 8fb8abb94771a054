// Status answers as Quake II and QuakeWorld servers send them, and the ways real datagrams go
// wrong: cut short, padded, missing fields, junk lines.
#include <gtest/gtest.h>

#include <string>

#include "StatusReply.h"

using kvxprobe::StatusReply;

namespace {

const std::string kHead = "\xff\xff\xff\xffprint\n";
const std::string kQuakeII = kHead + "\\cheats\\0\\hostname\\Base Camp Q2\\maxclients\\16\\mapname\\q2dm1\n"
                                     "12 48 \"Ranger\"\n-1 999 \"Player With Spaces\"\n0 0 \"\"\n";
const std::string kQuakeWorld = std::string("\xff\xff\xff\xffn\\maxclients\\8\\map\\dm4\\hostname\\QW Arena\n") +
                                "7 25 12 31 \"Ranger\" \"base\" 4 13\n9 -9999 3 40 \"\\s\\Watcher\" \"\" 0 0\n" +
                                std::string(1, '\0');

// Host, map, most players, players counted, then each player as name/score/ping (+ "/s" watching).
std::string Read(const std::string& datagram)
{
    StatusReply reply;
    if (!reply.Parse(datagram.data(), datagram.size())) return "refused";
    std::string out = reply.HostName() + "|" + reply.Map() + "|" + std::to_string(reply.MaxClients()) + "|" +
                      std::to_string(reply.PlayerCount());
    for (const StatusReply::Player& p : reply.Players())
        out += "|" + p.name + "/" + std::to_string(p.score) + "/" + std::to_string(p.ping) + (p.spectator ? "/s" : "");
    return out;
}

TEST(StatusReply, ReadsWhatEachKindOfServerSaysAndNothingElse)
{
    const struct {
        std::string datagram;
        std::string read;
    } cases[] = {
        {kQuakeII, "Base Camp Q2|q2dm1|16|3|Ranger/12/48|Player With Spaces/-1/999|/0/0"},
        {kQuakeWorld, "QW Arena|dm4|8|1|Ranger/25/31|Watcher/-9999/40/s"}, // frags and ping, not id and time
        {kHead + "\\hostname\\Empty\\mapname\\base1", "Empty|base1|-1|0"},
        {kHead + "hostname\\CRLF\\maxclients\\4\r\n3 20 \"A\"\r\n", "CRLF||4|1|A/3/20"},
        {kHead + "\\hostname\\J\ngarbage\n5\n5 10\n7 30 \"Unclosed\n8 40 Bare Name\n\n",
         "J||-1|2|Unclosed/7/30|Bare Name/8/40"},
        {"\xff\xff\xff\xffn\\hostname\\Q\n3 4 \"Short\"\n", "Q||-1|0"}, // QuakeWorld needs four numbers
        {kHead + "\\\\skipped\\hostname\\\\mapname\\x\\dangling\n", "|x|-1|0"},
        {kHead + "\\sv_hostname\\Other\\maxclients\\-3\n", "Other||-1|0"},
        {kHead + "\\hostname\\Cut\n1 2 \"A\"\n" + std::string(1, '\0') + "3 4 \"Hidden\"\n", "Cut||-1|1|A/1/2"},
        {"", "refused"},
        {"\xff\xff\xff\xff", "refused"},
        {"\xff\xff\xff\xffprint", "refused"},
        {"\xff\xff\xff\xff"
         "challenge 1234",
         "refused"},
        {"\xfe\xff\xff\xffprint\n\\hostname\\x", "refused"},
        {"\xff\xff\xff\xffinfo\n\\hostname\\x", "refused"},
    };
    for (const auto& c : cases) EXPECT_EQ(c.read, Read(c.datagram)) << c.datagram;

    StatusReply reply;
    EXPECT_FALSE(reply.Parse(nullptr, 20));
    ASSERT_TRUE(reply.Parse(kQuakeII.data(), kQuakeII.size()));
    EXPECT_EQ("Base Camp Q2", reply.Value("HostName")) << "keys match without regard to case";
    EXPECT_FALSE(reply.Parse("x", 1));
    EXPECT_TRUE(reply.Players().empty() && reply.HostName().empty()) << "read again, it forgets the earlier answer";
}

TEST(StatusReply, NeverWrapsALongNumberNegative)
{
    const std::string huge = kHead + "\\maxclients\\99999999999999\n123456789012345 -98765432109876 \"Big\"\n";
    StatusReply reply;
    ASSERT_TRUE(reply.Parse(huge.data(), huge.size()));
    EXPECT_GT(reply.MaxClients(), 0);
}

} // namespace

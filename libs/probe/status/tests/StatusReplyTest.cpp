// Status answers as Quake II and QuakeWorld servers send them, and the ways real datagrams
// go wrong: cut short, padded, missing fields, junk lines, numbers too long.
#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "StatusReply.h"

using kvxprobe::StatusReply;

namespace {

const std::string kHead = "\xff\xff\xff\xff";
const std::string kQuakeII = kHead + "print\n\\cheats\\0\\hostname\\Base Camp Q2\\maxclients\\16\\mapname\\q2dm1"
                                     "\\gamename\\baseq2\n12 48 \"Ranger\"\n-1 999 \"Player With Spaces\"\n0 0 \"\"\n";
const std::string kQuakeWorld = kHead +
                                "n\\maxclients\\8\\map\\dm4\\hostname\\QW Arena\\*version\\MVDSV 0.35\n"
                                "7 25 12 31 \"Ranger\" \"base\" 4 13\n9 -9999 3 40 \"\\s\\Watcher\" \"\" 0 0\n"
                                "11 3 1 58 \"Grunt\" \"\" 1 1\n" +
                                std::string(1, '\0');

// Everything read, as one line: host|map|maxclients|count|name score ping [spectator], ...
std::string Read(const std::string& datagram)
{
    StatusReply reply;
    if (!reply.Parse(datagram.data(), datagram.size())) return reply.Info().empty() ? "refused" : "refused, not empty";
    std::string text = reply.HostName() + "|" + reply.Map() + "|" + std::to_string(reply.MaxClients()) + "|" +
                       std::to_string(reply.PlayerCount()) + "|";
    for (const StatusReply::Player& p : reply.Players()) {
        text += p.name + " " + std::to_string(p.score) + " " + std::to_string(p.ping) + (p.spectator ? " s," : ",");
    }
    return text;
}

} // namespace

TEST(StatusReply, ReadsWhatTheServerSaysAndSkipsWhatMakesNoSense)
{
    // What the datagram shows, the datagram, then what is read.
    const std::tuple<const char*, std::string, std::string> cases[] = {
        {"Quake II", kQuakeII, "Base Camp Q2|q2dm1|16|3|Ranger 12 48,Player With Spaces -1 999, 0 0,"},
        {"QuakeWorld: frags and ping, spectators not counted", kQuakeWorld,
         "QW Arena|dm4|8|2|Ranger 25 31,Watcher -9999 40 s,Grunt 3 58,"},
        {"an empty server without maxclients", kHead + "print\n\\hostname\\Empty\\mapname\\base1", "Empty|base1|-1|0|"},
        {"CRLF, no leading backslash", kHead + "print\nhostname\\CRLF\\maxclients\\4\r\n3 20 \"A\"\r\n",
         "CRLF||4|1|A 3 20,"},
        {"junk player lines", kHead + "print\n\\hostname\\J\ngarbage\n5\n5 10\n7 30 \"Unclosed\n8 40 Bare Name\n\n",
         "J||-1|2|Unclosed 7 30,Bare Name 8 40,"},
        {"a QuakeWorld player needs four numbers", kHead + "n\\hostname\\Q\n3 4 \"Short\"\n", "Q||-1|0|"},
        {"empty values and a dangling key", kHead + "print\n\\\\skipped\\hostname\\\\mapname\\x\\dangling\n",
         "|x|-1|0|"},
        {"another host name key, a negative maxclients", kHead + "print\n\\sv_hostname\\Other\\maxclients\\-3\n",
         "Other||-1|0|"},
        {"nothing after a NUL", kHead + "print\n\\hostname\\Cut\n1 2 \"A\"\n" + std::string(1, '\0') + "3 4 \"B\"\n",
         "Cut||-1|1|A 1 2,"},
        {"numbers too long are capped, never wrapped",
         kHead + "print\n\\maxclients\\2999999999\n"
                 "99999999999999 -4999999999 \"Big\"\n",
         "||1000000000|1|Big 1000000000 -1000000000,"},
        {"a head alone, one byte short", kHead, "refused"},
        {"a wrong head", "\xfe\xff\xff\xffprint\n\\hostname\\x", "refused"},
        {"another answer", kHead + "info\n\\hostname\\x", "refused"},
    };
    for (const auto& [what, datagram, read] : cases) EXPECT_EQ(Read(datagram), read) << what;
}

// The dialect shows in how players are read, above.
TEST(StatusReply, KeepsEveryInfoValueUntilTheNextAnswer)
{
    StatusReply reply;
    ASSERT_TRUE(reply.Parse(kQuakeII.data(), kQuakeII.size()));
    EXPECT_EQ(reply.Info().size(), 5u);
    EXPECT_EQ(reply.Value("GameName"), "baseq2") << "keys match without regard to case";
    // Read again, a reply forgets the earlier answer; no prefix of an answer is read beyond
    // its end (the sanitizers watch the copies' ends).
    EXPECT_FALSE(reply.Parse("x", 1));
    EXPECT_TRUE(reply.Info().empty() && reply.Players().empty());
    EXPECT_FALSE(reply.Parse(nullptr, 20));
    for (const std::string& answer : {kQuakeII, kQuakeWorld}) {
        for (std::size_t size = 0; size <= answer.size(); ++size) Read(std::string(answer, 0, size));
    }
}

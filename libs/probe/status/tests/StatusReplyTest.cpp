// Status answers as Quake II and QuakeWorld servers send them, and the ways real datagrams
// go wrong: cut short, padded, missing fields, junk lines.
#include <gtest/gtest.h>

#include <string>

#include "StatusReply.h"

using kvxprobe::StatusReply;

namespace {

StatusReply Parsed(const std::string& datagram)
{
    StatusReply reply;
    EXPECT_TRUE(reply.Parse(datagram.data(), datagram.size())) << datagram;
    return reply;
}

const std::string kQuakeII = std::string("\xff\xff\xff\xff") +
                             "print\n"
                             "\\cheats\\0\\deathmatch\\1\\hostname\\Base Camp Q2\\maxclients\\16"
                             "\\mapname\\q2dm1\\gamename\\baseq2\n"
                             "12 48 \"Ranger\"\n"
                             "-1 999 \"Player With Spaces\"\n"
                             "0 0 \"\"\n";

const std::string kQuakeWorld = std::string("\xff\xff\xff\xff") +
                                "n\\maxfps\\77\\maxclients\\8\\maxspectators\\4\\map\\dm4"
                                "\\hostname\\QW Arena\\*version\\MVDSV 0.35\n"
                                "7 25 12 31 \"Ranger\" \"base\" 4 13\n"
                                "9 -9999 3 40 \"\\s\\Watcher\" \"\" 0 0\n"
                                "11 3 1 58 \"Grunt\" \"\" 1 1\n" +
                                std::string(1, '\0');

} // namespace

TEST(StatusReply, QueryIsTheConnectionlessStatusCommand)
{
    EXPECT_EQ(std::string(StatusReply::kQuery, StatusReply::kQuerySize), std::string("\xff\xff\xff\xffstatus\n"));
}

TEST(StatusReply, ReadsAQuakeIIAnswer)
{
    const StatusReply reply = Parsed(kQuakeII);
    EXPECT_EQ(reply.dialect(), StatusReply::Dialect::QuakeII);
    EXPECT_EQ(reply.HostName(), "Base Camp Q2");
    EXPECT_EQ(reply.Map(), "q2dm1");
    EXPECT_EQ(reply.MaxClients(), 16);
    EXPECT_EQ(reply.Value("gamename"), "baseq2");
    EXPECT_EQ(reply.Value("GameName"), "baseq2") << "keys match without regard to case";
    EXPECT_EQ(reply.Info().size(), 6u);
    ASSERT_EQ(reply.Players().size(), 3u);
    EXPECT_EQ(reply.PlayerCount(), 3);
    EXPECT_EQ(reply.Players()[0].score, 12);
    EXPECT_EQ(reply.Players()[0].ping, 48);
    EXPECT_EQ(reply.Players()[0].name, "Ranger");
    EXPECT_EQ(reply.Players()[1].score, -1);
    EXPECT_EQ(reply.Players()[1].name, "Player With Spaces");
    EXPECT_EQ(reply.Players()[2].name, "");
}

TEST(StatusReply, ReadsAQuakeWorldAnswerWithoutCountingSpectators)
{
    const StatusReply reply = Parsed(kQuakeWorld);
    EXPECT_EQ(reply.dialect(), StatusReply::Dialect::QuakeWorld);
    EXPECT_EQ(reply.HostName(), "QW Arena");
    EXPECT_EQ(reply.Map(), "dm4") << "QuakeWorld names the map 'map'";
    EXPECT_EQ(reply.MaxClients(), 8);
    EXPECT_EQ(reply.Value("*version"), "MVDSV 0.35");
    ASSERT_EQ(reply.Players().size(), 3u);
    EXPECT_EQ(reply.PlayerCount(), 2);
    EXPECT_EQ(reply.Players()[0].score, 25) << "frags, not the user id";
    EXPECT_EQ(reply.Players()[0].ping, 31) << "ping, not the minutes played";
    EXPECT_TRUE(reply.Players()[1].spectator);
    EXPECT_EQ(reply.Players()[1].name, "Watcher");
    EXPECT_FALSE(reply.Players()[2].spectator);
}

TEST(StatusReply, AnEmptyServerAndOddLineEndsStillRead)
{
    const StatusReply empty = Parsed(std::string("\xff\xff\xff\xffprint\n\\hostname\\Empty\\mapname\\base1"));
    EXPECT_EQ(empty.HostName(), "Empty");
    EXPECT_EQ(empty.Map(), "base1");
    EXPECT_EQ(empty.PlayerCount(), 0);
    EXPECT_EQ(empty.MaxClients(), -1) << "no maxclients key";

    const StatusReply crlf =
        Parsed(std::string("\xff\xff\xff\xffprint\n") + "hostname\\CRLF\\maxclients\\4\r\n3 20 \"A\"\r\n");
    EXPECT_EQ(crlf.HostName(), "CRLF") << "the leading backslash is optional";
    EXPECT_EQ(crlf.MaxClients(), 4);
    ASSERT_EQ(crlf.Players().size(), 1u);
    EXPECT_EQ(crlf.Players()[0].name, "A");
}

TEST(StatusReply, JunkPlayerLinesAreSkippedNotGuessed)
{
    const StatusReply reply = Parsed(std::string("\xff\xff\xff\xffprint\n\\hostname\\J\n") +
                                     "garbage\n"
                                     "5\n"               // a score alone
                                     "5 10\n"            // no name
                                     "7 30 \"Unclosed\n" // name runs to the line's end
                                     "8 40 Bare Name\n"  // unquoted name
                                     "\n");
    ASSERT_EQ(reply.Players().size(), 2u);
    EXPECT_EQ(reply.Players()[0].name, "Unclosed");
    EXPECT_EQ(reply.Players()[1].name, "Bare Name");
    EXPECT_EQ(reply.Players()[1].ping, 40);

    // A QuakeWorld line needs all four numbers before the name.
    const StatusReply qw = Parsed(std::string("\xff\xff\xff\xffn\\hostname\\Q\n3 4 \"Short\"\n"));
    EXPECT_TRUE(qw.Players().empty());
}

TEST(StatusReply, InfoLineOddities)
{
    const StatusReply reply =
        Parsed(std::string("\xff\xff\xff\xffprint\n\\\\skipped\\hostname\\\\mapname\\x\\dangling\n"));
    EXPECT_EQ(reply.HostName(), "") << "an empty value is a value";
    EXPECT_EQ(reply.Map(), "x");
    EXPECT_EQ(reply.Value("dangling"), "") << "a key without its value is dropped";

    const StatusReply fallback = Parsed(std::string("\xff\xff\xff\xffprint\n\\sv_hostname\\Other\\maxclients\\-3\n"));
    EXPECT_EQ(fallback.HostName(), "Other");
    EXPECT_EQ(fallback.MaxClients(), -1);
}

TEST(StatusReply, NothingAfterANulCounts)
{
    const std::string datagram =
        std::string("\xff\xff\xff\xffprint\n\\hostname\\Cut\n1 2 \"A\"\n") + std::string(1, '\0') + "3 4 \"Hidden\"\n";
    const StatusReply reply = Parsed(datagram);
    ASSERT_EQ(reply.Players().size(), 1u);
    EXPECT_EQ(reply.Players()[0].name, "A");
}

TEST(StatusReply, RefusesWhatIsNoStatusAnswer)
{
    const std::string refused[] = {
        "",
        "\xff\xff\xff",
        "\xff\xff\xff\xff",
        std::string("\xff\xff\xff\xffprint"), // head cut short
        std::string("\xff\xff\xff\xff") + "challenge 1234",
        std::string("\xfe\xff\xff\xff") + "print\n\\hostname\\x",
        std::string("\xff\xff\xff\xff") + "info\n\\hostname\\x",
    };
    for (const std::string& datagram : refused) {
        StatusReply reply;
        EXPECT_FALSE(reply.Parse(datagram.data(), datagram.size())) << datagram;
        EXPECT_TRUE(reply.Info().empty());
    }
    StatusReply reply;
    EXPECT_FALSE(reply.Parse(nullptr, 20));

    // A reply object read again forgets the earlier answer.
    ASSERT_TRUE(reply.Parse(kQuakeII.data(), kQuakeII.size()));
    EXPECT_FALSE(reply.Parse("x", 1));
    EXPECT_TRUE(reply.Players().empty());
    EXPECT_EQ(reply.HostName(), "");
}

TEST(StatusReply, ReadsOnlyTheBytesItIsGiven)
{
    // Every prefix of a real answer parses or is refused without reading beyond it (the
    // sanitizers watch the copies' ends).
    for (const std::string* answer : {&kQuakeII, &kQuakeWorld}) {
        for (std::size_t size = 0; size <= answer->size(); ++size) {
            std::string exact = answer->substr(0, size);
            StatusReply reply;
            reply.Parse(exact.data(), exact.size());
            EXPECT_LE(reply.PlayerCount(), 3);
        }
    }
    const std::string huge = std::string("\xff\xff\xff\xffprint\n\\maxclients\\99999999999999\n") +
                             "123456789012345 -98765432109876 \"Big\"\n";
    const StatusReply big = Parsed(huge);
    ASSERT_EQ(big.Players().size(), 1u);
    EXPECT_GT(big.MaxClients(), 0) << "a long number is capped, never wrapped negative";
}

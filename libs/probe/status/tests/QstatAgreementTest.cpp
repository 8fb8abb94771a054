// The parser against Debian's qstat: qstat queries the scanner tests' stand-in server, answering
// as a Quake II or a QuakeWorld server would, and both must read the same host name, map,
// player counts and players from that answer. Native only.
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "StatusReply.h"

namespace {

// qstat's raw lines about the stand-in server answering `answer` on 127.0.0.67:`port`: the
// server, then one per player, each split at its tabs.
std::vector<std::vector<std::string>> Qstat(const std::string& kind, int port, const std::string& answer)
{
    const std::string folder = "/tmp/kvx-qstat-" + std::to_string(getpid()), server = "127.0.0.67:" + std::to_string(port);
    mkdir(folder.c_str(), 0700);
    std::ofstream(folder + "/127.0.0.67_" + std::to_string(port), std::ios::binary) << answer;
    unlink((folder + "/ready").c_str());
    const pid_t responder = fork();
    if (responder == 0) {
        execlp("python3", "python3", KVX_RESPONDER_SCRIPT, folder.c_str(), server.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    for (int i = 0; i < 100 && access((folder + "/ready").c_str(), F_OK) != 0; ++i) usleep(20000);
    std::vector<std::vector<std::string>> lines;
    FILE* out = popen(("quakestat " + kind + " " + server + " -raw '\t' -P").c_str(), "r");
    char line[1024];
    while (out && fgets(line, sizeof line, out)) {
        std::vector<std::string> fields;
        std::istringstream split(std::string(line).substr(0, std::string(line).find('\n')));
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        if (!fields.empty()) lines.push_back(fields);
    }
    if (out) pclose(out);
    kill(responder, SIGTERM);
    waitpid(responder, nullptr, 0);
    return lines;
}

TEST(QstatAgreementTest, BothReadTheSameFromQuakeIIAndQuakeWorldAnswers)
{
    const struct {
        const char* kind;
        int port;
        std::string answer;
        size_t nameField, scoreField; // where qstat puts a player's
    } servers[] = {
        {"-q2s", 27910, "\xff\xff\xff\xffprint\n\\hostname\\KVX Base Camp\\mapname\\q2dm1\\maxclients\\16\n"
                        "12 40 \"alice\"\n3 55 \"bob the third\"\n", 0, 1},
        {"-qws", 27500, "\xff\xff\xff\xffn\\hostname\\Old School QW\\map\\dm4\\maxclients\\12\n7 21 15 33 \"carol\" \"base\" 4 4\n", 1, 2},
    };
    for (const auto& s : servers) {
        kvxprobe::StatusReply reply;
        ASSERT_TRUE(reply.Parse(s.answer.data(), s.answer.size()));
        const auto lines = Qstat(s.kind, s.port, s.answer);
        ASSERT_LE(1u, lines.size());
        ASSERT_LE(6u, lines[0].size()) << "qstat did not read the server";
        EXPECT_EQ((std::vector<std::string>{reply.HostName(), reply.Map(), std::to_string(reply.MaxClients()),
                                            std::to_string(reply.PlayerCount())}),
                  std::vector<std::string>(lines[0].begin() + 2, lines[0].begin() + 6));
        ASSERT_EQ(lines.size() - 1, reply.Players().size());
        for (size_t i = 0; i < reply.Players().size(); ++i) {
            EXPECT_EQ(lines[i + 1][s.nameField], reply.Players()[i].name);
            EXPECT_EQ(lines[i + 1][s.scoreField], std::to_string(reply.Players()[i].score));
        }
    }
}

} // namespace

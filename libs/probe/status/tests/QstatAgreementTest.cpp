// The parser against Debian's qstat: both read the answers of the same stand-in servers (the
// project's responder, answering as a Quake II and as a QuakeWorld server would), and must
// agree on host name, map, player counts and each player. Native only.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <sys/socket.h>
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

const char kAddress[] = "127.0.0.67";

// The responder script, answering with `answer`, for the life of the object.
class Responder {
public:
    Responder(int port, const std::string& answer) : m_folder("/tmp/kvx-qstat-" + std::to_string(getpid()))
    {
        mkdir(m_folder.c_str(), 0700);
        std::ofstream(m_folder + "/answer", std::ios::binary) << answer;
        unlink((m_folder + "/ready").c_str());
        m_pid = fork();
        if (m_pid == 0) {
            const std::string portText = std::to_string(port), answerFile = m_folder + "/answer";
            execlp("python3", "python3", KVX_RESPONDER_SCRIPT, kAddress, portText.c_str(), answerFile.c_str(),
                   m_folder.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        for (int i = 0; i < 100 && access((m_folder + "/ready").c_str(), F_OK) != 0; ++i) usleep(20000);
    }
    ~Responder()
    {
        kill(m_pid, SIGTERM);
        waitpid(m_pid, nullptr, 0);
    }

private:
    std::string m_folder;
    pid_t m_pid = -1;
};

std::string Query(int port)
{
    const int s = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in to = {};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<uint16_t>(port));
    inet_pton(AF_INET, kAddress, &to.sin_addr);
    sendto(s, kvxprobe::StatusReply::kQuery, kvxprobe::StatusReply::kQuerySize, 0, reinterpret_cast<sockaddr*>(&to),
           sizeof to);
    pollfd wait = {s, POLLIN, 0};
    char buffer[2048];
    ssize_t got = poll(&wait, 1, 3000) == 1 ? recv(s, buffer, sizeof buffer, 0) : -1;
    close(s);
    return got > 0 ? std::string(buffer, static_cast<size_t>(got)) : std::string();
}

// qstat's raw lines: the server, then one per player.
std::vector<std::vector<std::string>> Qstat(const std::string& kind, int port)
{
    const std::string command = "quakestat " + kind + " " + kAddress + ":" + std::to_string(port) + " -raw '\t' -P";
    std::vector<std::vector<std::string>> lines;
    FILE* out = popen(command.c_str(), "r");
    if (!out) return lines;
    char line[1024];
    while (fgets(line, sizeof line, out)) {
        std::string text(line);
        if (!text.empty() && text.back() == '\n') text.pop_back();
        if (text.empty()) continue;
        std::vector<std::string> fields;
        std::istringstream split(text);
        for (std::string field; std::getline(split, field, '\t');) fields.push_back(field);
        lines.push_back(fields);
    }
    pclose(out);
    return lines;
}

// qstat lists a player's name and score in fields that differ by game.
void ExpectAgreement(const std::string& kind, int port, const std::string& answer, size_t nameField, size_t scoreField)
{
    Responder responder(port, answer);
    const std::string datagram = Query(port);
    kvxprobe::StatusReply reply;
    ASSERT_TRUE(reply.Parse(datagram.data(), datagram.size()));
    const auto lines = Qstat(kind, port);
    ASSERT_GE(lines.size(), 1u);
    const std::vector<std::string>& server = lines[0];
    ASSERT_GE(server.size(), 6u) << "qstat did not read the server";
    EXPECT_EQ(server[2], reply.HostName());
    EXPECT_EQ(server[3], reply.Map());
    EXPECT_EQ(server[4], std::to_string(reply.MaxClients()));
    EXPECT_EQ(server[5], std::to_string(reply.PlayerCount()));
    ASSERT_EQ(lines.size() - 1, reply.Players().size());
    for (size_t i = 0; i < reply.Players().size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(lines[i + 1][nameField], reply.Players()[i].name);
        EXPECT_EQ(lines[i + 1][scoreField], std::to_string(reply.Players()[i].score));
    }
}

TEST(QstatAgreementTest, QuakeIIAnswersReadTheSameAsQstatReadsThem)
{
    ExpectAgreement("-q2s", 27910,
                    "\xff\xff\xff\xffprint\n\\hostname\\KVX Base Camp\\mapname\\q2dm1\\maxclients\\16\n"
                    "12 40 \"alice\"\n3 55 \"bob the third\"\n",
                    0, 1);
}

TEST(QstatAgreementTest, QuakeWorldAnswersReadTheSameAsQstatReadsThem)
{
    ExpectAgreement("-qws", 27500,
                    "\xff\xff\xff\xffn\\hostname\\Old School QW\\map\\dm4\\maxclients\\12\n"
                    "7 21 15 33 \"carol\" \"base\" 4 4\n",
                    1, 2);
}

} // namespace

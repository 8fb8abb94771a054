#include "QuakeResponder.h"

#include "support/ServerProcess.h"

QuakeResponder::QuakeResponder(const char* address, int port, const std::string& answer)
    : m_address(address), m_port(port), m_folder(new ScratchFolder("responder"))
{
    m_folder->Write("answer", answer);
    const std::string folder = UnixPath(m_folder->Path());
    if (folder.empty()) return;
    // Started in the background; the shell waits only until it listens.
    const bool started =
        RunShell("cd '" + folder + "' && python3 '" PROBE_RESPONDER_SCRIPT "' " + m_address + " " +
                 std::to_string(port) + " answer . 2>log & echo $! >'" + folder +
                 "/pid'; for i in $(seq 1 100); do [ -e '" + folder + "/ready' ] && break; sleep 0.05; done");
    std::string pid = m_folder->Read("pid");
    while (!pid.empty() && (pid.back() == '\n' || pid.back() == '\r')) pid.pop_back();
    if (started && m_folder->Exists("ready"))
        m_pid = pid;
    else if (!pid.empty())
        RunShell("kill " + pid);
}

QuakeResponder::~QuakeResponder()
{
    if (!m_pid.empty()) RunShell("kill " + m_pid + "; while kill -0 " + m_pid + " 2>/dev/null; do sleep 0.05; done");
}

int QuakeResponder::Queries() const
{
    const std::string log = m_folder->Read("queries");
    int lines = 0;
    for (char c : log) lines += c == '\n';
    return lines;
}

std::string QuakeResponder::Address() const { return m_address + ":" + std::to_string(m_port); }

std::string QuakeResponder::QuakeIIAnswer(const std::string& info, const std::string& players)
{
    return std::string("\xff\xff\xff\xffprint\n") + info + "\n" + players;
}

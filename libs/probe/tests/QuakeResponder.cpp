#include "QuakeResponder.h"

#include <algorithm>

#include "support/ServerProcess.h"

namespace {

std::string FileOf(std::string server)
{
    std::replace(server.begin(), server.end(), ':', '_');
    return server;
}

} // namespace

QuakeResponder::QuakeResponder(const std::vector<std::string>& servers) : m_folder("responder")
{
    std::string args;
    for (const std::string& server : servers) args += " " + server;
    // Started in the background; the shell waits only until it listens.
    RunShell("cd '" + UnixPath(m_folder.Path()) + "' && { python3 '" PROBE_RESPONDER_SCRIPT "' ." + args +
             " 2>log & echo $! >pid; }; for i in $(seq 1 100); do [ -e ready ] && break; sleep 0.05; done");
    const std::string pid = m_folder.Read("pid");
    m_pid = pid.substr(0, pid.find_first_of("\r\n"));
    if (!m_folder.Exists("ready") && !m_pid.empty()) RunShell("kill " + m_pid), m_pid.clear();
}

QuakeResponder::~QuakeResponder()
{
    if (!m_pid.empty()) RunShell("kill " + m_pid + "; while kill -0 " + m_pid + " 2>/dev/null; do sleep 0.05; done");
}

void QuakeResponder::Answer(const std::string& server, const std::string& datagram) const
{
    m_folder.Write(FileOf(server), datagram);
}

int QuakeResponder::Queries(const std::string& server) const
{
    const std::string log = m_folder.Read("queries");
    int heard = 0;
    for (size_t at = 0; (at = log.find(FileOf(server) + "\n", at)) != std::string::npos; ++at) ++heard;
    return heard;
}

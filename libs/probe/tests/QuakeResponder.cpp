#include "QuakeResponder.h"

#include <algorithm>

#include "support/ServerProcess.h"

QuakeResponder::QuakeResponder(const std::vector<std::string>& servers) : m_folder("responder")
{
    std::string args;
    for (const std::string& server : servers) args += " " + server;
    // Started in the background; the shell waits only until it listens.
    RunShell("cd '" + UnixPath(m_folder.Path()) + "' && { python3 '" PROBE_RESPONDER_SCRIPT "' ." + args +
             " 2>log & echo $! >pid; }; for i in $(seq 1 100); do [ -e ready ] && break; sleep 0.05; done");
    const std::string pid = m_folder.Read("pid");
    m_pid = m_folder.Exists("ready") ? pid.substr(0, pid.find_first_of("\r\n")) : std::string();
}

QuakeResponder::~QuakeResponder()
{
    if (!m_pid.empty()) RunShell("kill " + m_pid + "; while kill -0 " + m_pid + " 2>/dev/null; do sleep 0.05; done");
}

void QuakeResponder::Answer(std::string server, const std::string& datagram) const
{
    std::replace(server.begin(), server.end(), ':', '_');
    m_folder.Write(server, datagram);
}

int QuakeResponder::Queries(std::string server) const
{
    std::replace(server.begin(), server.end(), ':', '_');
    const std::string log = "\n" + m_folder.Read("queries");
    int heard = 0;
    for (size_t at = 0; (at = log.find("\n" + server + "\n", at)) != std::string::npos; ++at) ++heard;
    return heard;
}

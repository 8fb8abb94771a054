// Stand-in Quake II servers for the scanner: one native process (Wine binds its own UDP
// sockets to every address, so it could not have a loopback address of its own) listening on
// the given "address:port"s, each answering every status query with what Answer gave it last,
// or not at all. It ends with the object.
#ifndef KVX_PROBE_TESTS_QUAKERESPONDER_H
#define KVX_PROBE_TESTS_QUAKERESPONDER_H

#include <algorithm>
#include <string>
#include <vector>

#include "support/ScratchFolder.h"
#include "support/ServerProcess.h"

class QuakeResponder {
public:
    explicit QuakeResponder(const std::vector<std::string>& servers) : m_folder("responder")
    {
        std::string args;
        for (const std::string& server : servers) args += " " + server;
        // Started in the background; the shell waits only until it listens.
        RunShell("cd '" + UnixPath(m_folder.Path()) + "' && { python3 '" PROBE_RESPONDER_SCRIPT "' ." + args +
                 " 2>log & echo $! >pid; }; for i in $(seq 1 100); do [ -e ready ] && break; sleep 0.05; done");
        const std::string pid = m_folder.Read("pid");
        m_pid = m_folder.Exists("ready") ? pid.substr(0, pid.find_first_of("\r\n")) : std::string();
    }
    ~QuakeResponder() { EndProcess(m_pid); }
    QuakeResponder(const QuakeResponder&) = delete;
    QuakeResponder& operator=(const QuakeResponder&) = delete;

    bool Listening() const { return !m_pid.empty(); }
    // The datagram `server` answers with from now on ("": none).
    void Answer(const std::string& server, const std::string& datagram) const
    {
        m_folder.Write(File(server), datagram);
    }
    // The status queries `server` has heard so far.
    int Queries(const std::string& server) const
    {
        return static_cast<int>(m_folder.Read(File(server) + ".queries").size());
    }

private:
    static std::string File(std::string server)
    {
        std::replace(server.begin(), server.end(), ':', '_');
        return server;
    }

    ScratchFolder m_folder;
    std::string m_pid;
};

#endif

// Stand-in Quake II servers for the scanner: one native process (Wine binds its own UDP
// sockets to every address, so it could not have a loopback address of its own) listening on
// the given "address:port"s, each answering every status query with what Answer gave it last,
// or not at all. It ends with the object.
#ifndef KVX_PROBE_TESTS_QUAKERESPONDER_H
#define KVX_PROBE_TESTS_QUAKERESPONDER_H

#include <string>
#include <vector>

#include "support/ScratchFolder.h"

class QuakeResponder {
public:
    explicit QuakeResponder(const std::vector<std::string>& servers);
    ~QuakeResponder();
    QuakeResponder(const QuakeResponder&) = delete;
    QuakeResponder& operator=(const QuakeResponder&) = delete;

    bool Listening() const { return !m_pid.empty(); }
    // The datagram `server` answers with from now on ("": none).
    void Answer(std::string server, const std::string& datagram) const;
    // The status queries it has heard so far.
    int Queries(std::string server) const;

private:
    ScratchFolder m_folder;
    std::string m_pid;
};

#endif

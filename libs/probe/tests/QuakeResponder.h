// A Quake II server as far as the scanner can tell: a native process (Wine binds its own
// UDP sockets to every address, so it could not have a loopback address of its own) that
// answers every status query on the given address and port with a fixed datagram, or
// stays silent. It is ended when the responder object goes.
#ifndef KVX_PROBE_TESTS_QUAKERESPONDER_H
#define KVX_PROBE_TESTS_QUAKERESPONDER_H

#include <memory>
#include <string>

#include "support/ScratchFolder.h"

class QuakeResponder {
public:
    // An empty answer makes a server that hears queries and never answers.
    QuakeResponder(const char* address, int port, const std::string& answer);
    ~QuakeResponder();
    QuakeResponder(const QuakeResponder&) = delete;
    QuakeResponder& operator=(const QuakeResponder&) = delete;

    bool Listening() const { return !m_pid.empty(); }
    int Queries() const;         // status queries heard so far
    std::string Address() const; // host:port

    // A Quake II answer with this info line and these player lines.
    static std::string QuakeIIAnswer(const std::string& info, const std::string& players);

private:
    std::string m_address;
    int m_port;
    std::unique_ptr<ScratchFolder> m_folder;
    std::string m_pid;
};

#endif

// The real kvx-server program, started for one test on a free loopback port. Its log goes
// to the test's stderr, so a failing test shows what the server saw.
#ifndef KVX_SERVER_TESTS_SERVERPROCESS_H
#define KVX_SERVER_TESTS_SERVERPROCESS_H

#include <sys/types.h>

#include <cstdint>
#include <string>
#include <vector>

class ServerProcess {
public:
    // Starts kvx-server with --bind 127.0.0.1 --port 0 --db dbPath --fast-hash and extra,
    // and waits for its "listening on" line.
    ServerProcess(const std::string& dbPath, const std::vector<std::string>& extra = {});
    // Kills the server if a test left it running.
    ~ServerProcess();
    ServerProcess(const ServerProcess&) = delete;
    ServerProcess& operator=(const ServerProcess&) = delete;

    // 0 when the server did not come up.
    std::uint16_t port() const { return port_; }
    pid_t pid() const { return pid_; }

    // Sends the signal and waits up to timeoutMs for the exit. Returns the exit status, or
    // -1 when it did not exit normally in time.
    int Stop(int signal, int timeoutMs = 10000);

    // Runs the server program to completion with just these arguments; returns its exit
    // status (-1 on abnormal end or after timeoutMs) and its stdout.
    static int RunToExit(const std::vector<std::string>& args, std::string& out,
                         int timeoutMs = 10000);

private:
    pid_t pid_ = -1;
    int stdout_ = -1;
    std::uint16_t port_ = 0;
};

#endif

#include "ServerProcess.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cstdlib>

extern char** environ;

namespace {

long long NowMs() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return now.tv_sec * 1000LL + now.tv_nsec / 1000000;
}

pid_t Spawn(const std::vector<std::string>& args, int& stdoutRead) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return -1;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeFds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, pipeFds[0]);
    posix_spawn_file_actions_addclose(&actions, pipeFds[1]);

    std::vector<char*> argv;
    std::string program = KVX_SERVER_PATH;
    argv.push_back(program.data());
    std::vector<std::string> copies = args;
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);

    pid_t pid = -1;
    if (posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeFds[1]);
    stdoutRead = pipeFds[0];
    return pid;
}

// Reads until the pipe closes or the deadline; returns false on timeout.
bool ReadUntil(int fd, std::string& out, long long deadline, const char* stopAfter) {
    char buffer[512];
    while (stopAfter == nullptr || out.find(stopAfter) == std::string::npos) {
        const long long left = deadline - NowMs();
        if (left <= 0) return false;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, static_cast<int>(left)) <= 0) continue;
        const ssize_t n = read(fd, buffer, sizeof buffer);
        if (n <= 0) return stopAfter == nullptr;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

int WaitExit(pid_t pid, int timeoutMs) {
    const long long deadline = NowMs() + timeoutMs;
    while (NowMs() < deadline) {
        int status = 0;
        const pid_t done = waitpid(pid, &status, WNOHANG);
        if (done == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        if (done < 0) return -1;
        usleep(10000);
    }
    return -1;
}

} // namespace

ServerProcess::ServerProcess(const std::string& dbPath, const std::vector<std::string>& extra) {
    std::vector<std::string> args = {"--bind", "127.0.0.1", "--port", "0", "--db", dbPath,
                                     "--fast-hash"};
    args.insert(args.end(), extra.begin(), extra.end());
    pid_ = Spawn(args, stdout_);
    if (pid_ < 0) return;
    std::string out;
    if (!ReadUntil(stdout_, out, NowMs() + 10000, "\n")) return;
    const std::string prefix = "listening on ";
    const std::size_t colon = out.rfind(':');
    if (out.compare(0, prefix.size(), prefix) != 0 || colon == std::string::npos) return;
    port_ = static_cast<std::uint16_t>(std::atoi(out.c_str() + colon + 1));
}

ServerProcess::~ServerProcess() {
    if (pid_ > 0) {
        kill(pid_, SIGKILL);
        waitpid(pid_, nullptr, 0);
    }
    if (stdout_ >= 0) close(stdout_);
}

int ServerProcess::Stop(int signal, int timeoutMs) {
    if (pid_ <= 0) return -1;
    kill(pid_, signal);
    const int status = WaitExit(pid_, timeoutMs);
    if (status != -1 || waitpid(pid_, nullptr, WNOHANG) != 0) pid_ = -1;
    return status;
}

int ServerProcess::RunToExit(const std::vector<std::string>& args, std::string& out,
                             int timeoutMs) {
    int fd = -1;
    const pid_t pid = Spawn(args, fd);
    if (pid < 0) return -1;
    ReadUntil(fd, out, NowMs() + timeoutMs, nullptr);
    close(fd);
    int status = WaitExit(pid, timeoutMs);
    if (status == -1) {
        kill(pid, SIGKILL);
        waitpid(pid, nullptr, 0);
    }
    return status;
}

// kvx-presence-bench: presence fan-out through a real server on loopback. For each size N
// (default 1000 and 10000) a server runs in a child process (so each side has the whole fd
// limit to itself, raised to the hard limit here) with N accounts, account i listing the K
// accounts after it (default 20). N clients log in; then one of them changes its status over
// and over, up to 8 changes in flight, and its K watchers read the notices. Prints notices
// per second and the latency from sending the status to a watcher reading it (p50, p99),
// beside the same server answering one request with one frame (PKT_LIBRARY_REQUEST, the
// address info; also 8 in flight) on that connection. The server listens on 127.0.9.3.
// Lines starting "TABLE|" feed the summary of scripts/bench.sh.
//   kvx-presence-bench [K] [N ...]
#include <asio.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "core/AccountService.h"
#include "core/AccountStore.h"
#include "core/ContactService.h"
#include "core/ContactStore.h"
#include "core/HashWorker.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/PasswordHash.h"
#include "core/PresenceHub.h"
#include "core/Server.h"
#include "wire/Contacts.h"
#include "wire/Frame.h"

using namespace kvxserver;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int kInFlight = 8;
constexpr auto kMeasureTime = std::chrono::seconds(3);
constexpr char kBindAddress[] = "127.0.9.3";

rlim_t RaiseFdLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit);
    getrlimit(RLIMIT_NOFILE, &limit);
    return limit.rlim_cur;
}

// The child: N accounts, each listing the K after it, served until SIGTERM.
[[noreturn]] void Serve(int n, int k, int portPipe)
{
    SetLogStream(nullptr);
    Options options;
    options.bindAddress = kBindAddress;
    options.port = 0;
    options.fastHash = true;
    options.maxConnections = static_cast<unsigned>(n + 16);
    options.maxPerAddress = static_cast<unsigned>(n + 16);
    AccountStore store;
    std::string error;
    if (!store.Open(":memory:", error)) std::_Exit(1);
    PasswordHash hash(true);
    const std::string hashed = hash.Hash("pw");
    store.Database().Exec("BEGIN", error);
    for (int i = 0; i < n; ++i) store.Create("user" + std::to_string(i), "u@example.com", hashed, 0);
    ContactStore contacts(store.Database());
    for (int i = 0; i < n; ++i) {
        for (int j = 1; j <= k; ++j)
            contacts.Add(AccountStore::kFirstAccount + i, AccountStore::kFirstAccount + (i + j) % n);
    }
    store.Database().Exec("COMMIT", error);

    asio::io_context loop(1);
    {
        HashWorker worker(loop, 1);
        AccountService accounts(store, hash, worker, options);
        PresenceHub hub;
        ContactService service(store, contacts, hub, options);
        Server server(loop, options, accounts, service);
        if (!server.Listen(error)) std::_Exit(1);
        const std::uint16_t port = server.LocalEndpoint().port();
        if (write(portPipe, &port, sizeof port) != sizeof port) std::_Exit(1);
        close(portPipe);
        asio::signal_set signals(loop, SIGTERM);
        signals.async_wait([&](const asio::error_code&, int) { server.Stop(); });
        loop.run();
    }
    std::_Exit(0);
}

struct Peer {
    int fd = -1;
    std::vector<std::uint8_t> in;
};

bool SendFrame(int fd, std::uint16_t type, const void* payload, std::size_t length)
{
    std::uint8_t frame[kvxwire::kMaxFrame];
    const std::size_t size = kvxwire::EncodeFrame(type, payload, length, frame, sizeof frame);
    return size != 0 && send(fd, frame, size, MSG_NOSIGNAL) == static_cast<ssize_t>(size);
}

// Connects and logs in with blocking reads; false when the server said no.
bool LogIn(Peer& peer, std::uint16_t port, std::int32_t account)
{
    peer.fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, kBindAddress, &address.sin_addr);
    if (peer.fd < 0 || connect(peer.fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) return false;
    int one = 1;
    setsockopt(peer.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    std::uint8_t build[4];
    kvxwire::WriteU32(build, BUILD_NUMBER);
    LoginRecord login{};
    login.account = account;
    std::strcpy(login.password, "pw");
    if (!SendFrame(peer.fd, PKT_VERSION, build, sizeof build) || !SendFrame(peer.fd, PKT_LOGIN, &login, sizeof login)) {
        return false;
    }
    for (;;) {
        const kvxwire::FrameView view = kvxwire::PeekFrame(peer.in.data(), peer.in.size());
        if (view.state == kvxwire::FrameState::Complete) {
            const std::uint16_t type = view.type;
            peer.in.erase(peer.in.begin(), peer.in.begin() + static_cast<long>(view.frameSize));
            if (type == PKT_LOGIN_OK) return true;
            if (type == PKT_LOGIN_FAILED || type == PKT_VERSION_OLD) return false;
            continue;
        }
        std::uint8_t chunk[4096];
        const ssize_t got = recv(peer.fd, chunk, sizeof chunk, 0);
        if (got <= 0) return false;
        peer.in.insert(peer.in.end(), chunk, chunk + got);
    }
}

void Run(int n, int k)
{
    const rlim_t limit = RaiseFdLimit();
    if (static_cast<rlim_t>(n) + 64 > limit) {
        std::printf("presence fan-out, %5d clients: skipped, the fd limit is %llu\n", n,
                    static_cast<unsigned long long>(limit));
        return;
    }
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return;
    const pid_t child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        Serve(n, k, pipeFds[1]);
    }
    close(pipeFds[1]);
    std::uint16_t port = 0;
    if (read(pipeFds[0], &port, sizeof port) != sizeof port) {
        std::printf("presence fan-out, %5d clients: the server did not start\n", n);
        waitpid(child, nullptr, 0);
        return;
    }
    close(pipeFds[0]);

    std::vector<Peer> peers(static_cast<std::size_t>(n));
    const Clock::time_point loginStart = Clock::now();
    bool ok = true;
    for (int i = 0; i < n && ok; ++i) ok = LogIn(peers[i], port, AccountStore::kFirstAccount + i);
    const double loginSeconds = std::chrono::duration<double>(Clock::now() - loginStart).count();

    const int epoll = epoll_create1(0);
    for (int i = 0; i < n && ok; ++i) {
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u32 = static_cast<std::uint32_t>(i);
        epoll_ctl(epoll, EPOLL_CTL_ADD, peers[i].fd, &event);
    }
    // Account 0 is listed by the K accounts before it; they are the watchers.
    const std::int32_t changer = AccountStore::kFirstAccount;
    std::vector<Clock::time_point> sentAt;
    std::vector<int> seen;
    std::vector<double> latencies;
    int completed = 0;
    std::vector<Clock::time_point> requestedAt; // answered in order
    std::size_t answered = 0;
    std::vector<double> roundTrips;
    auto sendNext = [&] {
        StatusRecord status{};
        status.status = 400;
        std::snprintf(status.away, sizeof status.away, "%zu", sentAt.size());
        sentAt.push_back(Clock::now());
        seen.push_back(0);
        SendFrame(peers[0].fd, PKT_STATUS, &status, sizeof status);
    };
    auto pump = [&](int timeoutMs) {
        epoll_event events[256];
        const int ready = epoll_wait(epoll, events, 256, timeoutMs);
        for (int e = 0; e < ready; ++e) {
            Peer& peer = peers[events[e].data.u32];
            std::uint8_t chunk[16384];
            const ssize_t got = recv(peer.fd, chunk, sizeof chunk, MSG_DONTWAIT);
            if (got <= 0) continue;
            peer.in.insert(peer.in.end(), chunk, chunk + got);
            for (;;) {
                const kvxwire::FrameView view = kvxwire::PeekFrame(peer.in.data(), peer.in.size());
                if (view.state != kvxwire::FrameState::Complete) break;
                if (view.type == PKT_IP_INFO && answered < requestedAt.size()) {
                    roundTrips.push_back(
                        std::chrono::duration<double, std::micro>(Clock::now() - requestedAt[answered++]).count());
                }
                EventHead head{};
                if (view.type == PKT_NEW_EVENT && view.length >= kEventDataOffset + sizeof(ContactRecord)) {
                    std::memcpy(&head, view.payload, sizeof head);
                    ContactRecord record;
                    std::memcpy(&record, view.payload + kEventDataOffset, sizeof record);
                    if (head.kind == EVENT_PRESENCE && record.account == changer && record.status == 400) {
                        const std::size_t sequence = std::strtoul(record.away, nullptr, 10);
                        if (sequence < sentAt.size()) {
                            latencies.push_back(
                                std::chrono::duration<double, std::micro>(Clock::now() - sentAt[sequence]).count());
                            if (++seen[sequence] == k) ++completed;
                        }
                    }
                }
                peer.in.erase(peer.in.begin(), peer.in.begin() + static_cast<long>(view.frameSize));
            }
        }
        return ready;
    };
    // The logins' own notices first, until the wire is quiet.
    while (ok && pump(300) > 0) {}

    const Clock::time_point start = Clock::now();
    while (ok && Clock::now() - start < kMeasureTime) {
        while (static_cast<int>(sentAt.size()) - completed < kInFlight) sendNext();
        if (pump(1000) == 0) break;
    }
    const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
    while (ok && pump(300) > 0) {}

    const Clock::time_point roundStart = Clock::now();
    while (ok && Clock::now() - roundStart < kMeasureTime) {
        while (static_cast<int>(requestedAt.size() - answered) < kInFlight) {
            requestedAt.push_back(Clock::now());
            SendFrame(peers[0].fd, PKT_LIBRARY_REQUEST, nullptr, 0);
        }
        if (pump(1000) == 0) break;
    }
    const double roundSeconds = std::chrono::duration<double>(Clock::now() - roundStart).count();
    if (!ok || latencies.empty() || roundTrips.empty()) {
        std::printf("presence fan-out, %5d clients: failed (%s)\n", n, ok ? "no notices or answers" : "a login failed");
    } else {
        std::sort(latencies.begin(), latencies.end());
        std::sort(roundTrips.begin(), roundTrips.end());
        const double notices = latencies.size() / seconds;
        const double answers = roundTrips.size() / roundSeconds;
        const double p50 = latencies[latencies.size() / 2], p99 = latencies[latencies.size() * 99 / 100];
        const double r50 = roundTrips[roundTrips.size() / 2], r99 = roundTrips[roundTrips.size() * 99 / 100];
        std::printf("presence fan-out, %5d clients, %d watchers: %8.0f notices/s, latency p50 %6.0f us, p99 %6.0f us "
                    "(%zu changes; %d logins in %.1f s)\n",
                    n, k, notices, p50, p99, sentAt.size(), n, loginSeconds);
        std::printf("one request, one answer, %5d clients:      %8.0f answers/s, latency p50 %6.0f us, p99 %6.0f us\n",
                    n, answers, r50, r99);
        const std::string figure = "presence fan-out, " + std::to_string(n / 1000) + "k clients, " +
                                   std::to_string(k) + " watchers";
        std::printf("TABLE|%s, notices|%.0f /s|%.0f /s (request, answer)\n", figure.c_str(), notices, answers);
        std::printf("TABLE|%s, p50|%.0f us|%.0f us (request, answer)\n", figure.c_str(), p50, r50);
        std::printf("TABLE|%s, p99|%.0f us|%.0f us (request, answer)\n", figure.c_str(), p99, r99);
    }
    for (Peer& peer : peers) close(peer.fd);
    close(epoll);
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    const int k = argc > 1 ? std::atoi(argv[1]) : 20;
    std::vector<int> sizes;
    for (int i = 2; i < argc; ++i) sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty()) sizes = {1000, 10000};
    for (int n : sizes) {
        if (k < 1 || n <= k) {
            std::printf("need 0 < K < N\n");
            return 2;
        }
        Run(n, k);
    }
    return 0;
}

// kvx-presence-bench: presence fan-out through real servers on loopback. For each size N
// (default 1000 and 10000) a server runs in a child process (so each side has the whole fd
// limit to itself, raised to the hard limit here) with N accounts, account i listing the K
// accounts after it (default 20). N clients log in; then one of them changes its status over
// and over, up to 8 changes in flight, and its K watchers read the notices. Prints notices
// per second and the latency from sending the status to a watcher reading it (p50, p99),
// beside the same server answering one request with one frame (PKT_LIBRARY_REQUEST, the
// address info; also 8 in flight) on that connection. The server listens on 127.0.9.3.
// With --db URI --connect ADDR[:PORT],... the servers are running kvx-server nodes (such as
// scripts/cluster.sh starts) on that PostgreSQL database, which is filled here when it
// holds fewer than N accounts; the clients take the addresses in turn. With --idle N, N
// clients log in to a child server and stay idle: prints its memory per connection.
// Lines starting "TABLE|" feed the summary of scripts/bench.sh.
//   kvx-presence-bench [K] [N ...]
//   kvx-presence-bench --db URI --connect ADDR[:PORT][,...] K N [LABEL]
//   kvx-presence-bench --idle N
#include <asio.hpp>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <sys/types.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
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
#include "core/Statement.h"
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

sockaddr_in AddressOf(const std::string& host, std::uint16_t port)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    inet_pton(AF_INET, host.c_str(), &address.sin_addr);
    return address;
}

// Connects and logs in with blocking reads; false when the server said no.
bool LogIn(Peer& peer, const sockaddr_in& address, std::int32_t account)
{
    peer.fd = socket(AF_INET, SOCK_STREAM, 0);
    if (peer.fd < 0 || connect(peer.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) return false;
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

// A child serving n accounts that each list the k after them; its port, or 0.
std::uint16_t StartChild(int n, int k, pid_t& child)
{
    int pipeFds[2];
    if (pipe(pipeFds) != 0) return 0;
    child = fork();
    if (child == 0) {
        close(pipeFds[0]);
        Serve(n, k, pipeFds[1]);
    }
    close(pipeFds[1]);
    std::uint16_t port = 0;
    if (read(pipeFds[0], &port, sizeof port) != sizeof port) {
        waitpid(child, nullptr, 0);
        port = 0;
    }
    close(pipeFds[0]);
    return port;
}

bool FdsFor(int n)
{
    const rlim_t limit = RaiseFdLimit();
    if (static_cast<rlim_t>(n) + 64 <= limit) return true;
    std::printf("%d clients: skipped, the fd limit is %llu\n", n, static_cast<unsigned long long>(limit));
    return false;
}

// Client i logs in as account i, to the nodes in turn.
bool LogInAll(std::vector<Peer>& peers, const std::vector<sockaddr_in>& nodes)
{
    for (std::size_t i = 0; i < peers.size(); ++i) {
        if (!LogIn(peers[i], nodes[i % nodes.size()], AccountStore::kFirstAccount + static_cast<std::int32_t>(i))) {
            return false;
        }
    }
    return true;
}

void Measure(int n, int k, const std::vector<sockaddr_in>& nodes, const std::string& label)
{
    std::vector<Peer> peers(static_cast<std::size_t>(n));
    const Clock::time_point loginStart = Clock::now();
    bool ok = LogInAll(peers, nodes);
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
        std::printf("presence fan-out, %5d clients%s: failed (%s)\n", n, label.c_str(),
                    ok ? "no notices or answers" : "a login failed");
    } else {
        std::sort(latencies.begin(), latencies.end());
        std::sort(roundTrips.begin(), roundTrips.end());
        const double notices = latencies.size() / seconds;
        const double answers = roundTrips.size() / roundSeconds;
        const double p50 = latencies[latencies.size() / 2], p99 = latencies[latencies.size() * 99 / 100];
        const double r50 = roundTrips[roundTrips.size() / 2], r99 = roundTrips[roundTrips.size() * 99 / 100];
        std::printf("presence fan-out, %5d clients, %d watchers%s: %8.0f notices/s, latency p50 %6.0f us, p99 %6.0f "
                    "us (%zu changes; %d logins in %.1f s)\n",
                    n, k, label.c_str(), notices, p50, p99, sentAt.size(), n, loginSeconds);
        std::printf("one request, one answer, %5d clients:      %8.0f answers/s, latency p50 %6.0f us, p99 %6.0f us\n",
                    n, answers, r50, r99);
        const std::string figure =
            "presence fan-out, " + std::to_string(n / 1000) + "k clients, " + std::to_string(k) + " watchers" + label;
        std::printf("TABLE|%s, notices|%.0f /s|%.0f /s (request, answer)\n", figure.c_str(), notices, answers);
        std::printf("TABLE|%s, p50|%.0f us|%.0f us (request, answer)\n", figure.c_str(), p50, r50);
        std::printf("TABLE|%s, p99|%.0f us|%.0f us (request, answer)\n", figure.c_str(), p99, r99);
    }
    for (Peer& peer : peers) close(peer.fd);
    close(epoll);
}

void Run(int n, int k)
{
    if (!FdsFor(n)) return;
    pid_t child = -1;
    const std::uint16_t port = StartChild(n, k, child);
    if (port == 0) {
        std::printf("presence fan-out, %5d clients: the server did not start\n", n);
        return;
    }
    Measure(n, k, {AddressOf(kBindAddress, port)}, "");
    kill(child, SIGTERM);
    waitpid(child, nullptr, 0);
}

// The accounts and lists of Serve, made in bulk in a PostgreSQL database the nodes share.
bool FillDatabase(const std::string& uri, int n, int k)
{
    AccountStore store;
    std::string error;
    if (!store.Open(uri, error)) {
        std::printf("cannot open %s: %s\n", uri.c_str(), error.c_str());
        return false;
    }
    Statement count(store.Database(), "SELECT COUNT(*) FROM accounts");
    if (count.Next() != Statement::Step::Row) return false;
    if (count.Int(0) >= n) return true;
    if (count.Int(0) != 0) {
        std::printf("the database holds other accounts; start from an empty one\n");
        return false;
    }
    const std::string hashed = PasswordHash(true).Hash("pw");
    std::ostringstream sql;
    sql << "INSERT INTO accounts (nickname, email, password_hash, created_at) SELECT 'user' || i, 'u@example.com', '"
        << hashed << "', 0 FROM generate_series(0, " << n - 1 << ") AS i ORDER BY i;"
        << "INSERT INTO contacts (owner, contact, position) SELECT " << AccountStore::kFirstAccount << " + i, "
        << AccountStore::kFirstAccount << " + (i + j) % " << n << ", j FROM generate_series(0, " << n - 1
        << ") AS i, generate_series(1, " << k << ") AS j;";
    if (!store.Database().Exec(sql.str().c_str(), error)) {
        std::printf("filling the database failed: %s\n", error.c_str());
        return false;
    }
    return true;
}

// n clients logged in to a child server and idle: its resident memory per connection.
void Idle(int n)
{
    if (!FdsFor(n)) return;
    pid_t child = -1;
    const std::uint16_t port = StartChild(n, 0, child);
    const auto residentKib = [child] {
        std::ifstream status("/proc/" + std::to_string(child) + "/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("VmRSS:", 0) == 0) return std::atol(line.c_str() + 6);
        }
        return 0L;
    };
    const long before = residentKib();
    std::vector<Peer> peers(static_cast<std::size_t>(n));
    const bool ok = port != 0 && LogInAll(peers, {AddressOf(kBindAddress, port)});
    usleep(500000);
    const long after = residentKib();
    if (ok) {
        std::printf("idle connections: %d logged in, server resident %.1f MiB (%.1f before), %.1f KiB per connection\n",
                    n, after / 1024.0, before / 1024.0, static_cast<double>(after - before) / n);
        std::printf("TABLE|idle connections, %dk, memory per connection|%.1f KiB|\n", n / 1000,
                    static_cast<double>(after - before) / n);
    } else {
        std::printf("idle connections, %d: a login failed\n", n);
    }
    for (Peer& peer : peers) close(peer.fd);
    if (port != 0) {
        kill(child, SIGTERM);
        waitpid(child, nullptr, 0);
    }
}

// ADDR[:PORT],... with port 2600 where none is given.
std::vector<sockaddr_in> ParseNodes(const std::string& list)
{
    std::vector<sockaddr_in> nodes;
    std::istringstream items(list);
    for (std::string item; std::getline(items, item, ',');) {
        const std::size_t colon = item.find(':');
        const int port = colon == std::string::npos ? 2600 : std::atoi(item.c_str() + colon + 1);
        nodes.push_back(AddressOf(item.substr(0, colon), static_cast<std::uint16_t>(port)));
    }
    return nodes;
}

} // namespace

int main(int argc, char** argv)
{
    std::signal(SIGPIPE, SIG_IGN);
    SetLogStream(nullptr);
    if (argc == 3 && std::strcmp(argv[1], "--idle") == 0) {
        Idle(std::atoi(argv[2]));
        return 0;
    }
    if (argc >= 7 && std::strcmp(argv[1], "--db") == 0 && std::strcmp(argv[3], "--connect") == 0) {
        const int k = std::atoi(argv[5]), n = std::atoi(argv[6]);
        const std::string label = argc > 7 ? std::string(", ") + argv[7] : std::string();
        if (k < 1 || n <= k) {
            std::printf("need 0 < K < N\n");
            return 2;
        }
        if (!FdsFor(n) || !FillDatabase(argv[2], n, k)) return 1;
        Measure(n, k, ParseNodes(argv[4]), label);
        return 0;
    }
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

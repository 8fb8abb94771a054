// kvx-soak: the real kvx-server program under hours' worth of ordinary use, squeezed. It
// starts the server on 127.0.9.6 (a free port), signs up --clients accounts, each listing
// the next five, and logs them all in from sixteen loopback addresses, then for --seconds:
// every client sends a keep-alive each keep-alive period (the server's is set to 2 s, so a
// missed one shows within seconds), and every second --churn clients hang up and come
// back (TLS, log in, ask for their list, acknowledge what was kept for them), twice as many
// change status and a quarter as many send a message, which its receiver acknowledges.
// The server's resident memory (VmRSS) is sampled every --sample-seconds.
// It fails (exit status 1) when
//   - a connection is refused, dropped or left unanswered that the soak did not close;
//   - memory keeps growing: after the warm-up (the first quarter), the largest sample of
//     the last third is more than --growth-percent above the largest of the first third;
//   - the server does not exit 0 on SIGTERM (a sanitizer build also checks for leaks then).
//   kvx-soak [--seconds 40] [--clients 3000] [--churn 60] [--sample-seconds 2] [--growth-percent 10]
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <signal.h>
#include <spawn.h>
#include <openssl/ssl.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "support/WireClient.h"
#include "wire/Contacts.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kServerAddress[] = "127.0.9.6";
constexpr int kSourceAddresses = 16; // 127.0.9.100 and up
constexpr int kContactsEach = 5;
constexpr int kKeepAliveSeconds = 2;
constexpr int kAnswerSeconds = 10; // a login not answered by then is a failure
constexpr char kPassword[] = "soak";

struct Settings {
    int seconds = 40;
    int clients = 3000;
    int churn = 60;
    int sampleSeconds = 2;
    double growthPercent = 10;
};

bool ParseSettings(int argc, char** argv, Settings& settings)
{
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string name = argv[i];
        const double value = std::atof(argv[i + 1]);
        if (name == "--seconds") settings.seconds = static_cast<int>(value);
        else if (name == "--clients") settings.clients = static_cast<int>(value);
        else if (name == "--churn") settings.churn = static_cast<int>(value);
        else if (name == "--sample-seconds") settings.sampleSeconds = static_cast<int>(value);
        else if (name == "--growth-percent") settings.growthPercent = value;
        else return false;
    }
    return argc % 2 == 1 && settings.seconds >= 4 * settings.sampleSeconds && settings.sampleSeconds >= 1 &&
           settings.clients > kContactsEach && settings.churn >= 0 && settings.churn < settings.clients;
}

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

// The server: its pid, port, and where its log goes.
struct Server {
    pid_t pid = -1;
    std::uint16_t port = 0;
    std::string log;
};

bool StartServer(const std::string& folder, const Settings& settings, Server& server)
{
    int out[2];
    if (pipe(out) != 0) return false;
    server.log = folder + "/server.log";
    const std::string limit = std::to_string(settings.clients + settings.churn + 64);
    const std::string perAddress = std::to_string(settings.clients / kSourceAddresses + settings.churn + 64);
    std::vector<std::string> args = {KVX_SERVER_PATH,
                                     "--bind",
                                     kServerAddress,
                                     "--port",
                                     "0",
                                     "--db",
                                     folder + "/soak.db",
                                     "--fast-hash",
                                     "--keepalive-seconds",
                                     std::to_string(kKeepAliveSeconds),
                                     "--max-connections",
                                     limit,
                                     "--max-per-address",
                                     perAddress,
                                     "--signups-per-address",
                                     std::to_string(settings.clients + 1)};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);
    // A sanitizer build holds freed memory back for a while; keep that small, or its
    // filling up would pass for growth.
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        if (std::strncmp(*e, "ASAN_OPTIONS=", 13) != 0) env.push_back(*e);
    }
    const char* asan = std::getenv("ASAN_OPTIONS");
    env.push_back(std::string("ASAN_OPTIONS=") + (asan != nullptr ? std::string(asan) + ":" : "") +
                  "quarantine_size_mb=1");
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, server.log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const bool spawned = posix_spawn(&server.pid, argv[0], &actions, nullptr, argv.data(), envp.data()) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(out[1]);
    std::string line;
    char c = 0;
    while (spawned && line.find('\n') == std::string::npos && read(out[0], &c, 1) == 1) line += c;
    close(out[0]);
    const std::size_t colon = line.rfind(':');
    if (!spawned || line.rfind("listening on ", 0) != 0 || colon == std::string::npos) return false;
    server.port = static_cast<std::uint16_t>(std::atoi(line.c_str() + colon + 1));
    return true;
}

double RssMb(pid_t pid)
{
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kb = 0;
            status >> kb;
            return kb / 1024.0;
        }
    }
    return -1;
}

enum class Phase { Connecting, Handshaking, LoggingIn, Online, Closed };

struct Client {
    std::int32_t account = 0;
    int fd = -1;
    SSL* tls = nullptr; // every client speaks TLS, as KVX does
    Phase phase = Phase::Closed;
    bool listed = false; // its contacts have been added
    Clock::time_point since;
    Clock::time_point lastSent;
    std::vector<std::uint8_t> in;
};

struct Counts {
    long logins = 0, statuses = 0, messages = 0, acks = 0, notices = 0;
    long refused = 0, dropped = 0, unanswered = 0, sendFailures = 0;
    long Failures() const { return refused + dropped + unanswered + sendFailures; }
};

class Soak {
public:
    Soak(const Settings& settings, const Server& server) : settings_(settings), server_(server)
    {
        epoll_ = epoll_create1(0);
        clients_.resize(static_cast<std::size_t>(settings.clients));
    }
    ~Soak()
    {
        for (Client& client : clients_) Hang(client);
        SSL_CTX_free(tls_);
        close(epoll_);
    }

    bool SignUp()
    {
        WirePeer setup(server_.port, kServerAddress);
        if (setup.Version(BUILD_NUMBER) != PKT_VERSION_OK) return false;
        for (std::size_t i = 0; i < clients_.size(); ++i) {
            clients_[i].account = setup.Signup("soak" + std::to_string(i), "soak@example.com", kPassword);
            if (clients_[i].account == 0) return false;
        }
        return true;
    }

    // Every client connects and logs in, a few hundred at a time.
    bool LogInAll()
    {
        std::size_t next = 0;
        while (Online() < clients_.size() && counts_.Failures() == 0) {
            while (next < clients_.size() && Pending() < 200) Connect(clients_[next++]);
            Pump(50);
        }
        return counts_.Failures() == 0;
    }

    void Run(std::vector<std::pair<double, double>>& samples)
    {
        const Clock::time_point start = Clock::now();
        double nextTick = 1, nextSample = 0;
        while (Seconds(start) < settings_.seconds) {
            Pump(20);
            const double now = Seconds(start);
            if (now >= nextTick) {
                nextTick += 1;
                Churn();
            }
            KeepAlive();
            if (now >= nextSample) {
                nextSample += settings_.sampleSeconds;
                samples.emplace_back(now, RssMb(server_.pid));
                std::printf("  t %5.0f s   rss %7.1f MB   online %5zu   logins %7ld   statuses %7ld   messages %6ld\n",
                            now, samples.back().second, Online(), counts_.logins, counts_.statuses, counts_.messages);
                std::fflush(stdout);
            }
        }
    }

    const Counts& counts() const { return counts_; }

private:
    std::size_t Online() const
    {
        return static_cast<std::size_t>(
            std::count_if(clients_.begin(), clients_.end(), [](const Client& c) { return c.phase == Phase::Online; }));
    }
    std::size_t Pending() const
    {
        return static_cast<std::size_t>(std::count_if(clients_.begin(), clients_.end(), [](const Client& c) {
            return c.phase == Phase::Connecting || c.phase == Phase::Handshaking || c.phase == Phase::LoggingIn;
        }));
    }

    void Connect(Client& client)
    {
        const std::size_t index = static_cast<std::size_t>(&client - clients_.data());
        client.fd = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
        int one = 1;
        setsockopt(client.fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        setsockopt(client.fd, IPPROTO_IP, IP_BIND_ADDRESS_NO_PORT, &one, sizeof one);
        sockaddr_in from{};
        from.sin_family = AF_INET;
        from.sin_addr.s_addr = htonl((127u << 24) | (9u << 8) | (100u + index % kSourceAddresses));
        sockaddr_in to{};
        to.sin_family = AF_INET;
        to.sin_port = htons(server_.port);
        inet_pton(AF_INET, kServerAddress, &to.sin_addr);
        client.phase = Phase::Connecting;
        client.since = Clock::now();
        client.in.clear();
        epoll_event event{};
        event.events = EPOLLIN | EPOLLOUT;
        event.data.u64 = index;
        if (bind(client.fd, reinterpret_cast<sockaddr*>(&from), sizeof from) != 0 ||
            (connect(client.fd, reinterpret_cast<sockaddr*>(&to), sizeof to) != 0 && errno != EINPROGRESS) ||
            epoll_ctl(epoll_, EPOLL_CTL_ADD, client.fd, &event) != 0) {
            Fail(client, counts_.refused, "cannot connect");
        }
    }

    void Hang(Client& client)
    {
        if (client.tls != nullptr) SSL_free(client.tls);
        client.tls = nullptr;
        if (client.fd >= 0) close(client.fd);
        client.fd = -1;
        client.phase = Phase::Closed;
    }

    void Fail(Client& client, long& count, const char* what)
    {
        if (++count <= 5) std::printf("  account %d: %s\n", client.account, what);
        Hang(client);
    }

    void Send(Client& client, std::uint16_t type, const void* payload = nullptr, std::size_t length = 0)
    {
        if (client.fd < 0) return;
        std::uint8_t frame[kvxwire::kMaxFrame];
        const std::size_t size = kvxwire::EncodeFrame(type, payload, length, frame, sizeof frame);
        if (SSL_write(client.tls, frame, static_cast<int>(size)) != static_cast<int>(size)) {
            Fail(client, counts_.sendFailures, "a frame did not fit the socket");
            return;
        }
        client.lastSent = Clock::now();
    }

    void OnConnected(Client& client)
    {
        int error = 0;
        socklen_t size = sizeof error;
        getsockopt(client.fd, SOL_SOCKET, SO_ERROR, &error, &size);
        epoll_event event{};
        event.events = EPOLLIN;
        event.data.u64 = static_cast<std::uint64_t>(&client - clients_.data());
        if (error != 0 || epoll_ctl(epoll_, EPOLL_CTL_MOD, client.fd, &event) != 0) {
            Fail(client, counts_.refused, std::strerror(error));
            return;
        }
        client.tls = SSL_new(tls_);
        SSL_set_fd(client.tls, client.fd);
        SSL_set_connect_state(client.tls);
        client.phase = Phase::Handshaking;
        Handshake(client);
    }

    void Handshake(Client& client)
    {
        const int done = SSL_do_handshake(client.tls);
        if (done != 1) {
            if (SSL_get_error(client.tls, done) != SSL_ERROR_WANT_READ) Fail(client, counts_.refused, "no TLS");
            return;
        }
        client.phase = Phase::LoggingIn;
        std::uint8_t build[4];
        kvxwire::WriteU32(build, BUILD_NUMBER);
        LoginRecord login{};
        login.account = client.account;
        std::strcpy(login.password, kPassword);
        Send(client, PKT_VERSION, build, sizeof build);
        Send(client, PKT_LOGIN, &login, sizeof login);
    }

    void OnFrame(Client& client, std::uint16_t type, const std::uint8_t* payload, std::size_t length)
    {
        if (type == PKT_LOGIN_FAILED || type == PKT_VERSION_OLD) {
            Fail(client, counts_.unanswered, "login refused");
        } else if (type == PKT_LOGIN_OK) {
            client.phase = Phase::Online;
            ++counts_.logins;
            if (!client.listed) {
                client.listed = true;
                const std::size_t self = static_cast<std::size_t>(&client - clients_.data());
                for (std::size_t j = 1; j <= kContactsEach; ++j) {
                    AccountRecord contact{clients_[(self + j) % clients_.size()].account};
                    Send(client, PKT_CONTACT_ADD, &contact, sizeof contact);
                }
            }
            Send(client, PKT_CONTACTS_REQUEST);
        } else if (type == PKT_NEW_EVENT && length >= kEventDataOffset + sizeof(EventAckRecord)) {
            ++counts_.notices;
            EventHead head{};
            std::memcpy(&head, payload, sizeof head);
            // What is kept for its receiver carries its id first: acknowledging it lets it go.
            EventAckRecord ack{};
            if (head.kind == EVENT_MESSAGE) std::memcpy(&ack.eventId, payload + kEventDataOffset, sizeof ack.eventId);
            if (head.kind == EVENT_ADDED_YOU) {
                std::memcpy(&ack.eventId, payload + kEventDataOffset + offsetof(ContactRecord, eventId),
                            sizeof ack.eventId);
            }
            if (ack.eventId != 0) {
                Send(client, PKT_EVENT_ACK, &ack, sizeof ack);
                ++counts_.acks;
            }
        }
    }

    void OnReadable(Client& client)
    {
        std::uint8_t chunk[16384];
        for (;;) {
            const int got = SSL_read(client.tls, chunk, sizeof chunk);
            if (got <= 0 && SSL_get_error(client.tls, got) == SSL_ERROR_WANT_READ) break;
            if (got <= 0) {
                Fail(client, counts_.dropped, "the server hung up");
                return;
            }
            client.in.insert(client.in.end(), chunk, chunk + got);
        }
        std::size_t offset = 0;
        for (;;) {
            const kvxwire::FrameView view = kvxwire::PeekFrame(client.in.data() + offset, client.in.size() - offset);
            if (view.state != kvxwire::FrameState::Complete) break;
            OnFrame(client, view.type, view.payload, view.length);
            if (client.fd < 0) return;
            offset += view.frameSize;
        }
        client.in.erase(client.in.begin(), client.in.begin() + static_cast<long>(offset));
    }

    void Pump(int timeoutMs)
    {
        epoll_event events[512];
        const int ready = epoll_wait(epoll_, events, 512, timeoutMs);
        for (int e = 0; e < ready; ++e) {
            Client& client = clients_[events[e].data.u64];
            if (client.fd < 0) continue;
            if (client.phase == Phase::Connecting) {
                OnConnected(client);
            } else if (client.phase == Phase::Handshaking) {
                Handshake(client);
            } else {
                OnReadable(client);
            }
        }
        for (Client& client : clients_) {
            if ((client.phase == Phase::Connecting || client.phase == Phase::Handshaking ||
                 client.phase == Phase::LoggingIn) &&
                Seconds(client.since) > kAnswerSeconds) {
                Fail(client, counts_.unanswered, "no answer to the login");
            }
        }
    }

    void KeepAlive()
    {
        const Clock::time_point now = Clock::now();
        for (Client& client : clients_) {
            if (client.phase == Phase::Online && now - client.lastSent >= std::chrono::seconds(kKeepAliveSeconds)) {
                Send(client, PKT_KEEP_ALIVE);
            }
        }
    }

    Client* AnyOnline()
    {
        for (int tries = 0; tries < 100; ++tries) {
            Client& client = clients_[random_() % clients_.size()];
            if (client.phase == Phase::Online) return &client;
        }
        return nullptr;
    }

    void Churn()
    {
        for (int i = 0; i < settings_.churn; ++i) {
            if (Client* client = AnyOnline()) {
                Hang(*client);
                Connect(*client);
            }
        }
        for (int i = 0; i < 2 * settings_.churn; ++i) {
            Client* client = AnyOnline();
            if (client == nullptr) continue;
            static const std::uint16_t kStatuses[] = {300, 400, 500};
            StatusRecord status{};
            status.status = kStatuses[random_() % 3];
            if (status.status != 300) std::snprintf(status.away, sizeof status.away, "back in %ld", counts_.statuses);
            Send(*client, PKT_STATUS, &status, sizeof status);
            ++counts_.statuses;
        }
        for (int i = 0; i < settings_.churn / 4; ++i) {
            Client* client = AnyOnline();
            if (client == nullptr) continue;
            const std::size_t self = static_cast<std::size_t>(client - clients_.data());
            MessageSendRecord message{};
            message.to = clients_[(self + 1) % clients_.size()].account;
            message.clientTag = static_cast<std::uint32_t>(counts_.messages);
            std::snprintf(message.text, sizeof message.text, "soak message %ld", counts_.messages);
            Send(*client, PKT_MESSAGE_SEND, &message, sizeof message);
            ++counts_.messages;
        }
    }

    const Settings& settings_;
    const Server& server_;
    int epoll_ = -1;
    std::vector<Client> clients_;
    Counts counts_;
    std::mt19937 random_{20240};
    SSL_CTX* tls_ = SSL_CTX_new(TLS_client_method()); // lives as long as the program
};

// The largest sample of the last third against the largest of the first, after the
// first quarter; true when the growth stays within the limit.
bool MemoryIsFlat(const std::vector<std::pair<double, double>>& samples, const Settings& settings)
{
    std::vector<double> settled;
    for (const auto& sample : samples) {
        if (sample.first >= settings.seconds / 4.0) settled.push_back(sample.second);
    }
    if (settled.size() < 3) {
        std::printf("memory: too few samples after the warm-up\n");
        return false;
    }
    const std::size_t third = settled.size() / 3;
    const double first = *std::max_element(settled.begin(), settled.begin() + static_cast<long>(third));
    const double last = *std::max_element(settled.end() - static_cast<long>(third), settled.end());
    const double growth = 100.0 * (last - first) / first;
    const bool flat = growth <= settings.growthPercent;
    std::printf("memory: after %.0f s of warm-up, first third max %.1f MB, last third max %.1f MB (%+.1f %%); "
                "flat means at most %+.0f %%: %s\n",
                settings.seconds / 4.0, first, last, growth, settings.growthPercent, flat ? "flat" : "GROWING");
    return flat;
}

void RemoveFolder(const std::string& folder)
{
    for (const char* name :
         {"/soak.db", "/soak.db-wal", "/soak.db-shm", "/soak.db.cert.pem", "/soak.db.key.pem", "/server.log"}) {
        unlink((folder + name).c_str());
    }
    rmdir(folder.c_str());
}

int StopServer(const Server& server)
{
    kill(server.pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 600; ++i) {
        if (waitpid(server.pid, &status, WNOHANG) == server.pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        usleep(50000);
    }
    kill(server.pid, SIGKILL);
    waitpid(server.pid, nullptr, 0);
    return -1;
}

} // namespace

int main(int argc, char** argv)
{
    Settings settings;
    if (!ParseSettings(argc, argv, settings)) {
        std::fprintf(stderr, "usage: kvx-soak [--seconds N] [--clients N] [--churn N] [--sample-seconds N] "
                             "[--growth-percent X]\n  (seconds at least four samples long, churn below clients)\n");
        return 2;
    }
    std::signal(SIGPIPE, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_NOFILE, &limit);
    limit.rlim_cur = limit.rlim_max;
    setrlimit(RLIMIT_NOFILE, &limit); // the server inherits it
    if (limit.rlim_cur < static_cast<rlim_t>(settings.clients + settings.churn + 64)) {
        std::fprintf(stderr, "kvx-soak: the fd limit %llu is too low for %d clients\n",
                     static_cast<unsigned long long>(limit.rlim_cur), settings.clients);
        return 1;
    }
    // The database is written once per sign-up, contact and message: keep it in memory
    // where there is a memory file system, so the soak measures the server, not the disk.
    char folder[] = "/dev/shm/kvx-soak-XXXXXX";
    char fallback[] = "/tmp/kvx-soak-XXXXXX";
    const char* made = mkdtemp(folder);
    if (made == nullptr) made = mkdtemp(fallback);
    Server server;
    if (made == nullptr || !StartServer(made, settings, server)) {
        std::fprintf(stderr, "kvx-soak: the server did not start\n");
        if (made != nullptr) RemoveFolder(made);
        return 1;
    }
    std::printf("kvx-soak: %d clients, %d reconnecting, %d changing status and %d sending a message each second, "
                "for %d s; server pid %d on %s:%u\n",
                settings.clients, settings.churn, 2 * settings.churn, settings.churn / 4, settings.seconds,
                static_cast<int>(server.pid), kServerAddress, server.port);
    std::vector<std::pair<double, double>> samples;
    bool ok = false;
    Counts counts;
    {
        Soak soak(settings, server);
        const Clock::time_point setup = Clock::now();
        ok = soak.SignUp() && soak.LogInAll();
        std::printf("set-up: %d accounts signed up and logged in in %.1f s%s; rss %.1f MB\n", settings.clients,
                    Seconds(setup), ok ? "" : " (FAILED)", RssMb(server.pid));
        if (ok) soak.Run(samples);
        counts = soak.counts();
    }
    const int exitStatus = StopServer(server);
    std::printf("connections: %ld refused, %ld dropped, %ld logins unanswered or refused, %ld sends failed; "
                "%ld logins, %ld notices, %ld acknowledgements\n",
                counts.refused, counts.dropped, counts.unanswered, counts.sendFailures, counts.logins, counts.notices,
                counts.acks);
    ok = ok && counts.Failures() == 0;
    const bool flat = ok && MemoryIsFlat(samples, settings);
    std::printf("server exit status on SIGTERM: %d%s\n", exitStatus, exitStatus == 0 ? "" : " (expected 0)");
    const bool passed = ok && flat && exitStatus == 0;
    if (!passed) {
        std::printf("the server's log: %s (the last lines)\n", server.log.c_str());
        std::fflush(stdout);
        std::system(("tail -n 20 '" + server.log + "'").c_str());
    }
    RemoveFolder(made);
    std::printf("kvx-soak: %s\n", passed ? "PASSED" : "FAILED");
    return passed ? 0 : 1;
}

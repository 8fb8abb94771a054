#include "ServerTest.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "core/PasswordHash.h"

namespace {

constexpr int kWaitMs = 10000;

// The program's command line for the shell.
std::string Command(const std::string& prefix, const std::vector<std::string>& args)
{
    std::string command = prefix + KVX_SERVER_PATH;
    for (const std::string& arg : args) command += " '" + arg + "'";
    return command;
}

Event EventOf(const Packet& frame)
{
    if (frame.type != PKT_NEW_EVENT || frame.payload.size() < kEventDataOffset) return Event{};
    EventHead head;
    std::memcpy(&head, frame.payload.data(), sizeof head);
    return Event{head.kind, head.fromAccount, {frame.payload.begin() + kEventDataOffset, frame.payload.end()}};
}

} // namespace

ServerTest::ServerTest()
{
    // In memory where there is a memory file system: the server syncs every commit.
    const bool shm = std::filesystem::is_directory("/dev/shm");
    std::string pattern = (shm ? "/dev/shm" : std::filesystem::temp_directory_path().string()) + "/kvx-test-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) folder_ = pattern;
}

ServerTest::~ServerTest()
{
    Stop(SIGKILL);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

void ServerTest::Start(const std::vector<std::string>& extra)
{
    std::vector<std::string> args = {"--bind", "127.0.0.1", "--port", "0", "--db", File("kvx.db"), "--fast-hash"};
    args.insert(args.end(), extra.begin(), extra.end());
    output_ = popen(Command("echo $$; exec ", args).c_str(), "r"); // exec: the shell's pid is the server's
    char fingerprint[128] = {};
    port_ = 0;
    pid_ = -1; // until read: Stop never signals -1, which would reach every process of ours
    if (output_ != nullptr) {
        std::fscanf(output_, "%d listening on %*[^:]:%hu TLS certificate SHA-256 fingerprint %127s", &pid_, &port_,
                    fingerprint);
    }
    fingerprint_ = fingerprint;
    ASSERT_NE(port_, 0) << "kvx-server did not start";
}

int ServerTest::Stop(int signal)
{
    if (output_ == nullptr || pid_ <= 0) return -1;
    kill(pid_, signal);
    int status = -1; // no exit status unless reaped
    for (const long long deadline = NowMs() + kWaitMs; waitpid(pid_, &status, WNOHANG) == 0; usleep(10000)) {
        if (NowMs() > deadline) kill(pid_, SIGKILL); // reaped the next time round, as no exit in time
    }
    pclose(output_);
    output_ = nullptr;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void ServerTest::Seed(const std::function<void(kvxserver::AccountStore&, kvxserver::ContactStore&)>& fill)
{
    kvxserver::AccountStore store;
    std::string error;
    ASSERT_TRUE(store.Open(File("kvx.db"), error)) << error;
    kvxserver::ContactStore contacts(store.Database());
    ASSERT_TRUE(store.Database().Exec("BEGIN", error)) << error;
    fill(store, contacts);
    ASSERT_TRUE(store.Database().Exec("COMMIT", error)) << error;
}

std::int32_t ServerTest::SeedAccount(kvxserver::AccountStore& store, const std::string& nickname)
{
    static const std::string hash = kvxserver::PasswordHash(true).Hash("pw");
    return store.Create(nickname, nickname + "@example.com", hash, 0);
}

int ServerTest::Run(const std::vector<std::string>& args, std::string& output)
{
    return Shell(Command("timeout -s KILL 10 ", args) + " 2>&1", output);
}

int ServerTest::Shell(const std::string& command, std::string& output)
{
    FILE* pipe = popen(command.c_str(), "r");
    char buffer[512];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, pipe)) > 0;) output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

bool Has(const std::vector<Event>& events, std::uint16_t kind)
{
    return std::any_of(events.begin(), events.end(), [kind](const Event& e) { return e.kind == kind; });
}

Client::Client(std::uint16_t port, const std::string& nickname, const char* host) : WirePeer(port, host)
{
    if (Version(BUILD_NUMBER) == PKT_VERSION_OK) account_ = Signup(nickname, nickname + "@example.com", "pw");
    online_ = account_ != 0 && Login(account_, "pw") == PKT_LOGIN_OK;
}

Client::Client(std::uint16_t port, std::int32_t account, const std::string& password, const char* host)
    : WirePeer(port, host), account_(account)
{
    online_ = Version(BUILD_NUMBER) == PKT_VERSION_OK && Login(account, password) == PKT_LOGIN_OK;
}

Packet Client::Take(const std::function<bool(const Packet&)>& match)
{
    const auto held = std::find_if(pending_.begin(), pending_.end(), match);
    if (held != pending_.end()) {
        Packet frame = std::move(*held);
        pending_.erase(held);
        return frame;
    }
    for (const long long deadline = NowMs() + kWaitMs;;) {
        Packet frame = Receive(static_cast<int>(std::max(0LL, deadline - NowMs())));
        if (frame.type == 0 || match(frame)) return frame;
        pending_.push_back(std::move(frame));
    }
}

Event Client::WaitEvent(std::uint16_t kind, std::int32_t from)
{
    return EventOf(Take([&](const Packet& f) {
        const Event event = EventOf(f);
        return event.kind == kind && (from == 0 || event.from == from);
    }));
}

std::vector<Event> Client::Settle()
{
    // Nothing else is answered with an empty search result, so its arrival marks the point.
    Put(PKT_SEARCH, SearchRecord{});
    std::vector<Event> events;
    for (Packet frame;
         (frame = Take([](const Packet&) { return true; })).type != 0 && frame.type != PKT_SEARCH_RESULT;) {
        if (frame.type == PKT_NEW_EVENT) events.push_back(EventOf(frame));
    }
    return events;
}

Client::List Client::RequestList()
{
    List list;
    Send(PKT_CONTACTS_REQUEST);
    for (const Event& event : Settle()) {
        if (event.kind == EVENT_CONTACTS_END) list.complete = true;
        else if (!list.complete && event.kind == EVENT_CONTACT) list.contacts.push_back(event.As<ContactRecord>());
        else if (list.complete && event.kind != EVENT_PRESENCE) list.stored.push_back(event);
    }
    return list;
}

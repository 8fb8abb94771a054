// kvx-server-bench: how fast the wire and the server go. Starts an in-process server on a
// loopback port (its log silenced) and prints one figure per line:
//   - frames parsed per second by the frame reader;
//   - full handshakes (connect, version, login, hang up) per second, one client and four;
//   - keep-alive frames per second through one connection;
//   - the cost of one argon2id hash at the production limits.
//   kvx-server-bench
#include <asio.hpp>

#include <sodium.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <thread>
#include <vector>

#include "core/AccountService.h"
#include "core/AccountStore.h"
#include "core/ContactService.h"
#include "core/ContactStore.h"
#include "core/FrameReader.h"
#include "core/HashWorker.h"
#include "core/Log.h"
#include "core/Options.h"
#include "core/PasswordHash.h"
#include "core/PresenceHub.h"
#include "core/Server.h"
#include "support/WireClient.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

using namespace kvxserver;
using Clock = std::chrono::steady_clock;

namespace {

double Seconds(Clock::time_point since) {
    return std::chrono::duration<double>(Clock::now() - since).count();
}

void BenchFrameParsing() {
    // A realistic mix: keep-alives, logins, sign-ups and the odd large event.
    std::vector<std::uint8_t> stream;
    const std::size_t sizes[] = {0, 16, 156, 4, 0, 1024};
    const std::vector<std::uint8_t> payload(kvxwire::kMaxPayload, 0x5a);
    for (int i = 0; i < 6000; ++i) {
        std::uint8_t frame[kvxwire::kMaxFrame];
        const std::size_t n = kvxwire::EncodeFrame(static_cast<std::uint16_t>(1000 + i % 7),
                                                   payload.data(), sizes[i % 6], frame,
                                                   sizeof frame);
        stream.insert(stream.end(), frame, frame + n);
    }
    std::size_t frames = 0;
    std::size_t bytes = 0;
    const Clock::time_point start = Clock::now();
    while (Seconds(start) < 1.0) {
        FrameReader reader;
        std::size_t offset = 0;
        while (offset < stream.size()) {
            std::uint8_t* space = reader.Space();
            const std::size_t n = std::min(reader.SpaceSize(), stream.size() - offset);
            std::memcpy(space, stream.data() + offset, n);
            reader.Commit(n);
            offset += n;
            for (kvxwire::FrameView v = reader.Peek(); v.state == kvxwire::FrameState::Complete;
                 v = reader.Peek()) {
                reader.Consume(v.frameSize);
                ++frames;
            }
        }
        bytes += stream.size();
    }
    const double elapsed = Seconds(start);
    std::printf("frame reader:        %8.2f M frames/s  (%.0f MB/s)\n", frames / elapsed / 1e6,
                bytes / elapsed / 1e6);
}

struct LocalServer {
    asio::io_context loop{1};
    Options options;
    AccountStore store;
    PasswordHash hash{true};
    std::unique_ptr<HashWorker> worker;
    std::unique_ptr<AccountService> accounts;
    std::unique_ptr<ContactStore> contactStore;
    PresenceHub hub;
    std::unique_ptr<ContactService> contacts;
    std::unique_ptr<Server> server;
    std::thread thread;
    std::uint16_t port = 0;

    bool Start() {
        options.bindAddress = "127.0.0.1";
        options.port = 0;
        options.fastHash = true;
        options.maxPerAddress = 1000;
        std::string error;
        if (!store.Open(":memory:", error)) return false;
        worker = std::make_unique<HashWorker>(loop, options.hashThreads);
        accounts = std::make_unique<AccountService>(store, hash, *worker, options);
        contactStore = std::make_unique<ContactStore>(store.Database());
        contacts = std::make_unique<ContactService>(store, *contactStore, hub, options);
        server = std::make_unique<Server>(loop, options, *accounts, *contacts);
        if (!server->Listen(error)) return false;
        port = server->LocalEndpoint().port();
        thread = std::thread([this] { loop.run(); });
        return true;
    }
    void Stop() {
        asio::post(loop, [this] { server->Stop(); });
        thread.join();
    }
};

bool Handshake(std::uint16_t port, std::int32_t account) {
    WireClient client(port);
    return client.Version(BUILD_NUMBER) == PKT_VERSION_OK &&
           client.Login(account, "pw") == PKT_LOGIN_OK;
}

void BenchHandshakes(std::uint16_t port, std::int32_t account, int clients) {
    std::atomic<int> done{0};
    std::atomic<bool> failed{false};
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            while (Seconds(start) < 2.0) {
                if (!Handshake(port, account)) failed = true;
                ++done;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    std::printf("handshakes, %d client%s: %8.0f /s%s\n", clients, clients == 1 ? " " : "s",
                done / Seconds(start), failed ? "  (some failed!)" : "");
}

void BenchKeepAlives(std::uint16_t port) {
    WireClient client(port);
    if (client.Version(BUILD_NUMBER) != PKT_VERSION_OK) return;
    constexpr int kFrames = 200000;
    std::vector<std::uint8_t> stream;
    std::uint8_t frame[kvxwire::kHeaderSize];
    kvxwire::EncodeFrame(PKT_KEEP_ALIVE, nullptr, 0, frame, sizeof frame);
    for (int i = 0; i < kFrames; ++i) stream.insert(stream.end(), frame, frame + sizeof frame);
    const Clock::time_point start = Clock::now();
    client.SendRaw(stream.data(), stream.size());
    // Frames are handled in order, so the answer to a request sent last marks the end.
    std::string error;
    client.Signup("", "", "", &error);
    std::printf("keep-alive frames:   %8.2f M frames/s through one connection\n",
                kFrames / Seconds(start) / 1e6);
}

void BenchInteractiveHash() {
    PasswordHash production(false);
    constexpr int kRounds = 3;
    std::string hashed;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kRounds; ++i) hashed = production.Hash("password9");
    const double perHash = Seconds(start) / kRounds;
    std::printf("argon2id interactive: %7.1f ms per hash (one core; %s)\n", perHash * 1e3,
                production.Verify(hashed, "password9") ? "verifies" : "VERIFY FAILED");
}

} // namespace

int main() {
    // The server logs every connection; a benchmark wants only its figures.
    SetLogStream(nullptr);
    BenchFrameParsing();

    LocalServer local;
    if (!local.Start()) {
        std::printf("server did not start\n");
        return 1;
    }
    std::int32_t account = 0;
    {
        WireClient client(local.port);
        client.Version(BUILD_NUMBER);
        account = client.Signup("Bench", "bench@example.com", "pw");
    }
    BenchHandshakes(local.port, account, 1);
    BenchHandshakes(local.port, account, 4);
    BenchKeepAlives(local.port);
    local.Stop();

    BenchInteractiveHash();
    return 0;
}

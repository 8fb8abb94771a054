// kvx-server-bench: how fast the wire and the server go. Starts an in-process server on a
// loopback port of 127.0.9.4 (its log silenced) and prints one figure per line:
//   - frame parsing (PeekFrame, FrameReader) beside a memcpy of the same bytes;
//   - full handshakes (connect, TLS, version, login, hang up) per second, one client and four,
//     beside the same in clear and bare TCP connections to the same server;
//   - keep-alive frames per second through one connection;
//   - the cost of one argon2id hash at the production limits.
// Lines starting "TABLE|" feed the summary of scripts/bench.sh.
//   kvx-server-bench
#include <asio.hpp>

#include <sodium.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <functional>
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

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

const char kBindAddress[] = "127.0.9.4";

// The same stream three ways, one second each: copied whole (the yardstick), walked with
// the wire's PeekFrame, and fed through a connection's FrameReader in socket-sized chunks.
template <typename Pass>
void TimeParsing(const char* what, const std::vector<std::uint8_t>& stream, std::size_t framesPerPass, Pass pass,
                 double& mbPerSecond, double& framesPerSecond)
{
    std::size_t passes = 0;
    std::size_t check = 0;
    const Clock::time_point start = Clock::now();
    while (Seconds(start) < 1.0) {
        check += pass();
        ++passes;
    }
    const double elapsed = Seconds(start);
    mbPerSecond = static_cast<double>(passes * stream.size()) / elapsed / 1e6;
    framesPerSecond = static_cast<double>(passes * framesPerPass) / elapsed;
    std::printf("frame parsing, %-11s %9.0f MB/s  %8.2f M frames/s  (check %zu)\n", what, mbPerSecond,
                framesPerSecond / 1e6, check % 10);
}

void BenchFrameParsing()
{
    // A realistic mix: keep-alives, logins, sign-ups and the odd large event.
    std::vector<std::uint8_t> stream;
    const std::size_t sizes[] = {0, 16, 156, 4, 0, 1024};
    const std::vector<std::uint8_t> payload(kvxwire::kMaxPayload, 0x5a);
    constexpr std::size_t kFrames = 6000;
    for (std::size_t i = 0; i < kFrames; ++i) {
        std::uint8_t frame[kvxwire::kMaxFrame];
        const std::size_t n = kvxwire::EncodeFrame(static_cast<std::uint16_t>(1000 + i % 7), payload.data(),
                                                   sizes[i % 6], frame, sizeof frame);
        stream.insert(stream.end(), frame, frame + n);
    }
    std::vector<std::uint8_t> copy(stream.size());
    double copyMb = 0, copyFrames = 0, peekMb = 0, peekFrames = 0, readerMb = 0, readerFrames = 0;
    TimeParsing(
        "memcpy", stream, kFrames,
        [&] {
            std::memcpy(copy.data(), stream.data(), stream.size());
            return static_cast<std::size_t>(copy[copy.size() / 2]);
        },
        copyMb, copyFrames);
    TimeParsing(
        "PeekFrame", stream, kFrames,
        [&] {
            std::size_t offset = 0;
            std::size_t types = 0;
            for (;;) {
                const kvxwire::FrameView v = kvxwire::PeekFrame(stream.data() + offset, stream.size() - offset);
                if (v.state != kvxwire::FrameState::Complete) break;
                types += v.type;
                offset += v.frameSize;
            }
            return types;
        },
        peekMb, peekFrames);
    TimeParsing(
        "FrameReader", stream, kFrames,
        [&] {
            FrameReader reader;
            std::size_t offset = 0;
            std::size_t types = 0;
            while (offset < stream.size()) {
                const std::size_t n = std::min(reader.SpaceSize(), stream.size() - offset);
                std::memcpy(reader.Space(), stream.data() + offset, n);
                reader.Commit(n);
                offset += n;
                for (kvxwire::FrameView v = reader.Peek(); v.state == kvxwire::FrameState::Complete;
                     v = reader.Peek()) {
                    types += v.type;
                    reader.Consume(v.frameSize);
                }
            }
            return types;
        },
        readerMb, readerFrames);
    std::printf("TABLE|frame parsing, PeekFrame|%.0f MB/s|%.0f MB/s (memcpy)\n", peekMb, copyMb);
    std::printf("TABLE|frame parsing, PeekFrame|%.2f M frames/s|%.2f M frames/s (memcpy)\n", peekFrames / 1e6,
                copyFrames / 1e6);
    std::printf("TABLE|frame parsing, FrameReader|%.0f MB/s|%.0f MB/s (memcpy)\n", readerMb, copyMb);
    std::printf("TABLE|frame parsing, FrameReader|%.2f M frames/s|%.2f M frames/s (memcpy)\n", readerFrames / 1e6,
                copyFrames / 1e6);
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

    bool Start()
    {
        options.bindAddress = kBindAddress;
        options.port = 0;
        options.fastHash = true;
        options.maxPerAddress = 1000;
        options.allowPlaintext = true; // for the figures without TLS
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
    void Stop()
    {
        asio::post(loop, [this] { server->Stop(); });
        thread.join();
    }
};

bool Handshake(std::uint16_t port, std::int32_t account, bool tls)
{
    WirePeer client(port, kBindAddress, nullptr, tls);
    return client.Version(BUILD_NUMBER) == PKT_VERSION_OK && client.Login(account, "pw") == PKT_LOGIN_OK;
}

// The yardstick for a handshake: a TCP connection to the same server that sends one
// keep-alive and hangs up.
bool ConnectAndClose(std::uint16_t port)
{
    WirePeer client(port, kBindAddress, nullptr, false);
    return client.Connected() && client.Send(PKT_KEEP_ALIVE);
}

// Each of `clients` threads repeats step for two seconds; returns steps per second.
double RepeatFor2s(int clients, const std::function<bool()>& step, bool& failed)
{
    std::atomic<int> done{0};
    std::atomic<bool> anyFailed{false};
    const Clock::time_point start = Clock::now();
    std::vector<std::thread> threads;
    for (int c = 0; c < clients; ++c) {
        threads.emplace_back([&] {
            while (Seconds(start) < 2.0) {
                if (!step()) anyFailed = true;
                ++done;
            }
        });
    }
    for (std::thread& t : threads) t.join();
    failed = anyFailed;
    return done / Seconds(start);
}

void BenchHandshakes(std::uint16_t port, std::int32_t account, int clients)
{
    bool failed = false;
    bool clearFailed = false;
    bool connectFailed = false;
    const double handshakes = RepeatFor2s(
        clients, [&] { return Handshake(port, account, true); }, failed);
    const double clear = RepeatFor2s(
        clients, [&] { return Handshake(port, account, false); }, clearFailed);
    const double connects = RepeatFor2s(
        clients, [&] { return ConnectAndClose(port); }, connectFailed);
    const char* plural = clients == 1 ? "" : "s";
    std::printf("handshakes, %d client%-1s: %8.0f /s with TLS%s, %8.0f /s in clear%s; TCP connect and close %8.0f /s\n",
                clients, plural, handshakes, failed ? " (some failed!)" : "", clear,
                clearFailed ? " (some failed!)" : "", connects);
    std::printf("TABLE|handshakes (TLS, version, login), %d client%s|%.0f /s|%.0f /s (in clear)\n", clients, plural,
                handshakes, clear);
}

void BenchKeepAlives(std::uint16_t port)
{
    WirePeer client(port, kBindAddress);
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
    const double rate = kFrames / Seconds(start);
    std::printf("keep-alive frames:   %8.2f M frames/s through one connection\n", rate / 1e6);
    std::printf("TABLE|keep-alive frames through one connection|%.2f M frames/s|-\n", rate / 1e6);
}

void BenchInteractiveHash()
{
    PasswordHash production(false);
    constexpr int kRounds = 3;
    std::string hashed;
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < kRounds; ++i) hashed = production.Hash("password9");
    const double perHash = Seconds(start) / kRounds;
    std::printf("argon2id interactive: %7.1f ms per hash (one core; %s)\n", perHash * 1e3,
                production.Verify(hashed, "password9") ? "verifies" : "VERIFY FAILED");
    std::printf("TABLE|argon2id hash, interactive limits|%.1f ms|-\n", perHash * 1e3);
}

} // namespace

int main()
{
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
        WirePeer client(local.port, kBindAddress);
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

// kvx-transfer-bench: how fast a file goes through the real kvx-server on loopback, beside a
// plain TCP copy of the same bytes between two sockets of this process. One client uploads
// 20 MB the way the contact library does (64 KiB in flight, paced by the server's progress),
// another fetches it in 64 KiB requests of 992-byte chunks. Prints one figure per line;
// lines starting "TABLE|" feed the summary of scripts/bench.sh.
//   kvx-transfer-bench
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "support/ServerTest.h"
#include "wire/Sha256.h"
#include "wire/Transfers.h"

using Clock = std::chrono::steady_clock;

namespace {

constexpr std::size_t kBytes = 20 * 1024 * 1024;
constexpr std::uint64_t kInFlight = 64 * 1024;

double MbPerSecond(std::size_t bytes, Clock::time_point since)
{
    return bytes / (1024.0 * 1024.0) / std::chrono::duration<double>(Clock::now() - since).count();
}

// The yardstick: the same bytes written into one loopback TCP socket and read from another.
double PlainCopy(const std::string& bytes)
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof address;
    bind(listener, reinterpret_cast<sockaddr*>(&address), size);
    listen(listener, 1);
    getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
    const int writer = socket(AF_INET, SOCK_STREAM, 0);
    connect(writer, reinterpret_cast<sockaddr*>(&address), size);
    const int reader = accept(listener, nullptr, nullptr);
    const Clock::time_point start = Clock::now();
    std::thread send([&] {
        for (std::size_t at = 0; at < bytes.size();) {
            const ssize_t n = write(writer, bytes.data() + at, bytes.size() - at);
            if (n <= 0) break;
            at += static_cast<std::size_t>(n);
        }
    });
    std::string got(1 << 16, '\0');
    std::size_t total = 0;
    for (ssize_t n; total < bytes.size() && (n = read(reader, &got[0], got.size())) > 0;) total += n;
    send.join();
    const double rate = MbPerSecond(total, start);
    close(reader);
    close(writer);
    close(listener);
    return rate;
}

// The server tests' own set-up: the real program on a free port, its database in a folder of
// its own that goes when this does.
class Server : public ServerTest {
public:
    using ServerTest::port;
    using ServerTest::Start;
    void TestBody() override {}
};

bool Upload(Client& sender, std::int32_t to, const std::string& bytes, std::uint32_t& id)
{
    FileOfferRecord offer{to, 1, bytes.size(), {}, "bench.pak"};
    kvxwire::Sha256 sha;
    sha.Add(bytes.data(), bytes.size());
    const kvxwire::Sha256::Digest digest = sha.Finish();
    std::memcpy(offer.sha256, digest.data(), digest.size());
    sender.Put(PKT_FILE_OFFER, offer);
    id = sender.WaitEvent(EVENT_FILE_PROGRESS).As<FileProgressRecord>().id;
    std::uint64_t sent = 0, acked = 0;
    std::string chunk;
    while (sent < bytes.size()) {
        while (sent < bytes.size() && sent - acked < kInFlight) {
            const FileChunkHead head{
                id, static_cast<std::uint16_t>(std::min<std::uint64_t>(kMaxUploadChunk, bytes.size() - sent)), 0, sent};
            chunk.assign(reinterpret_cast<const char*>(&head), sizeof head);
            chunk.append(bytes, sent, head.length);
            if (!sender.Send(PKT_FILE_DATA, chunk.data(), chunk.size())) return false;
            sent += head.length;
        }
        if (sent == bytes.size()) break;
        const Event progress = sender.WaitEvent(EVENT_FILE_PROGRESS);
        if (progress.kind == 0) return false;
        acked = progress.As<FileProgressRecord>().received;
    }
    return sender.WaitEvent(EVENT_FILE_STORED).kind == EVENT_FILE_STORED;
}

bool Fetch(Client& receiver, std::uint32_t id, std::size_t size)
{
    std::uint64_t asked = 0, got = 0;
    while (got < size) {
        while (asked < size && asked - got < 2 * kMaxFileGet) {
            const FileGetRecord get{id, kMaxFileGet, asked};
            receiver.Put(PKT_FILE_GET, get);
            asked += kMaxFileGet;
        }
        const Event chunk = receiver.WaitEvent(EVENT_FILE_CHUNK);
        if (chunk.kind == 0) return false;
        got += chunk.As<FileChunkHead>().length;
    }
    return true;
}

} // namespace

int main()
{
    std::string bytes(kBytes, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i * 2654435761u >> 13);
    const double plain = PlainCopy(bytes);

    Server server;
    server.Start();
    if (server.port() == 0) {
        std::printf("server did not start\n");
        return 1;
    }
    Client sender(server.port(), "Sender");
    Client receiver(server.port(), "Receiver");
    std::uint32_t id = 0;
    const Clock::time_point start = Clock::now();
    if (!Upload(sender, receiver.account(), bytes, id)) {
        std::printf("upload failed\n");
        return 1;
    }
    const double upload = MbPerSecond(bytes.size(), start);
    const Clock::time_point fetchStart = Clock::now();
    if (!Fetch(receiver, id, bytes.size())) {
        std::printf("fetch failed\n");
        return 1;
    }
    const double fetch = MbPerSecond(bytes.size(), fetchStart);
    const double whole = MbPerSecond(bytes.size(), start);
    std::printf("file through the server, 20 MB: upload %.0f MB/s (to checked and synced), fetch %.0f MB/s, "
                "offer to fetched %.0f MB/s; plain TCP copy %.0f MB/s\n",
                upload, fetch, whole, plain);
    std::printf("TABLE|file upload through the server (20 MB, loopback)|%.0f MB/s|%.0f MB/s (plain TCP copy)\n", upload,
                plain);
    std::printf("TABLE|file fetch through the server (20 MB, loopback)|%.0f MB/s|%.0f MB/s (plain TCP copy)\n", fetch,
                plain);
    return 0;
}

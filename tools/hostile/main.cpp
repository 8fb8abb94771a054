// kvx-hostile: a server that speaks the KVX wire format and misbehaves on purpose, for the
// client's robustness tests. Each accepted connection plays the next script given (the
// last one again once they run out), one connection at a time.
//   kvx-hostile --bind ADDRESS [--port PORT] [--seed N] [--cert PEM --key PEM] [--no-udp] SCRIPT...
// Speaks TLS (scripts may misbehave beneath it) with the certificate of --cert and --key,
// made there self-signed when they do not exist yet, as the real server makes its own.
// Prints "listening on ADDRESS:PORT" once bound, then the certificate's fingerprint, and one
// line per connection played. --no-udp leaves the UDP port closed, so the clients' pings
// draw ICMP port-unreachable instead of an answer.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <openssl/ssl.h>
#include <unistd.h>

#include <csignal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "Player.h"
#include "core/Certificate.h"
#include "Script.h"
#include "wire/Frame.h"
#include "wire/Packets.h"

using namespace kvxhostile;

namespace {

struct Arguments {
    std::string address = "127.0.0.1";
    int port = 2600;
    unsigned seed = 1;
    std::string certPath;
    std::string keyPath;
    bool answerPings = true;
    std::vector<Script> scripts;
};

bool Parse(int argc, char** argv, Arguments& out, std::string& error)
{
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        const bool hasValue = i + 1 < argc;
        if (word == "--bind" && hasValue) out.address = argv[++i];
        else if (word == "--port" && hasValue) {
            // atoi would take "abc" for 0, an ephemeral port nobody finds, and 70000 for 4464.
            const char* text = argv[++i];
            char* end = nullptr;
            const long port = std::strtol(text, &end, 10);
            if (end == text || *end != '\0' || port < 0 || port > 65535) {
                error = std::string("not a port: ") + text;
                return false;
            }
            out.port = static_cast<int>(port);
        } else if (word == "--cert" && hasValue) out.certPath = argv[++i];
        else if (word == "--key" && hasValue) out.keyPath = argv[++i];
        else if (word == "--no-udp") out.answerPings = false;
        else if (word == "--seed" && hasValue) out.seed = static_cast<unsigned>(std::strtoul(argv[++i], nullptr, 0));
        else {
            Script script;
            if (!script.Load(word, error)) return false;
            out.scripts.push_back(script);
        }
    }
    if (out.scripts.empty())
        error = "usage: kvx-hostile --bind ADDRESS [--port PORT] [--seed N] [--cert PEM --key PEM] [--no-udp] "
                "SCRIPT...";
    return error.empty();
}

int Listen(const Arguments& arguments)
{
    const int listener = socket(AF_INET, SOCK_STREAM, 0);
    if (listener < 0) return -1;
    const int on = 1;
    setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(arguments.port));
    if (inet_pton(AF_INET, arguments.address.c_str(), &address.sin_addr) != 1 ||
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(listener, 8) != 0) {
        close(listener);
        return -1;
    }
    return listener;
}

// Answers the clients' UDP round-trip pings on the same address and port, as every KVX server
// does: the scripts misbehave on the connection only.
void AnswerPings(const Arguments& arguments)
{
    const int udp = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(arguments.port));
    if (udp < 0 || inet_pton(AF_INET, arguments.address.c_str(), &address.sin_addr) != 1 ||
        bind(udp, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        return;
    std::uint8_t datagram[kvxwire::kMaxFrame];
    for (;;) {
        sockaddr_in from = {};
        socklen_t size = sizeof from;
        const ssize_t got = recvfrom(udp, datagram, sizeof datagram, 0, reinterpret_cast<sockaddr*>(&from), &size);
        const kvxwire::FrameView ping = kvxwire::PeekFrame(datagram, got > 0 ? static_cast<std::size_t>(got) : 0);
        if (ping.state != kvxwire::FrameState::Complete || ping.type != PKT_SERVER_PING) continue;
        kvxwire::WriteU16(datagram, PKT_SERVER_PONG);
        sendto(udp, datagram, static_cast<std::size_t>(got), 0, reinterpret_cast<sockaddr*>(&from), size);
    }
}

bool ReadyCertificate(const Arguments& arguments, kvxserver::Certificate& certificate)
{
    std::string error;
    if (!arguments.certPath.empty() && access(arguments.certPath.c_str(), F_OK) == 0)
        return certificate.Load(arguments.certPath, arguments.keyPath, error);
    return certificate.Generate() &&
           (arguments.certPath.empty() || certificate.Save(arguments.certPath, arguments.keyPath));
}

} // namespace

int main(int argc, char** argv)
{
    Arguments arguments;
    std::string error;
    if (!Parse(argc, argv, arguments, error)) {
        std::fprintf(stderr, "kvx-hostile: %s\n", error.c_str());
        return 2;
    }
    const int listener = Listen(arguments);
    if (listener < 0) {
        std::fprintf(stderr, "kvx-hostile: cannot listen on %s:%d: %s\n", arguments.address.c_str(), arguments.port,
                     std::strerror(errno));
        return 1;
    }
    std::signal(SIGPIPE, SIG_IGN);
    kvxserver::Certificate certificate;
    SSL_CTX* tls = SSL_CTX_new(TLS_server_method());
    if (!ReadyCertificate(arguments, certificate) || SSL_CTX_set_min_proto_version(tls, TLS1_2_VERSION) != 1 ||
        SSL_CTX_use_certificate(tls, certificate.cert.get()) != 1 ||
        SSL_CTX_use_PrivateKey(tls, certificate.key.get()) != 1) {
        std::fprintf(stderr, "kvx-hostile: no TLS certificate\n");
        return 1;
    }
    if (arguments.answerPings) std::thread(AnswerPings, arguments).detach();
    std::printf("listening on %s:%d\n", arguments.address.c_str(), arguments.port);
    std::printf("TLS certificate SHA-256 fingerprint %s\n", certificate.Fingerprint().c_str());
    std::fflush(stdout);
    for (std::size_t connection = 0;; ++connection) {
        const int socket = accept(listener, nullptr, nullptr);
        if (socket < 0) continue;
        const Script& script = arguments.scripts[std::min(connection, arguments.scripts.size() - 1)];
        Player player(socket, arguments.seed + static_cast<unsigned>(connection), tls);
        const std::string ending = player.Play(script);
        std::printf("connection %zu (%s): %s\n", connection + 1, script.Name().c_str(), ending.c_str());
        std::fflush(stdout);
    }
}

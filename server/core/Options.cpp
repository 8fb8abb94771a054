#include "Options.h"

#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "SqlDatabase.h"

namespace kvxserver {

namespace {

struct NumericOption {
    const char* name;
    unsigned long min;
    unsigned long max;
    void (*set)(Options&, unsigned long);
};

const NumericOption kNumericOptions[] = {
    {"--port", 0, 65535, [](Options& o, unsigned long v) { o.port = static_cast<std::uint16_t>(v); }},
    {"--min-build", 0, 0xffffffffUL, [](Options& o, unsigned long v) { o.minBuild = static_cast<std::uint32_t>(v); }},
    {"--keepalive-seconds", 1, 86400,
     [](Options& o, unsigned long v) { o.keepAliveSeconds = static_cast<unsigned>(v); }},
    {"--first-frame-seconds", 1, 3600,
     [](Options& o, unsigned long v) { o.firstFrameSeconds = static_cast<unsigned>(v); }},
    {"--max-connections", 1, 1000000, [](Options& o, unsigned long v) { o.maxConnections = static_cast<unsigned>(v); }},
    {"--max-per-address", 1, 1000000, [](Options& o, unsigned long v) { o.maxPerAddress = static_cast<unsigned>(v); }},
    {"--login-failures-per-address", 1, 1000000,
     [](Options& o, unsigned long v) { o.loginFailuresPerAddress = static_cast<unsigned>(v); }},
    {"--login-failures-per-account", 1, 1000000,
     [](Options& o, unsigned long v) { o.loginFailuresPerAccount = static_cast<unsigned>(v); }},
    {"--signups-per-address", 1, 1000000,
     [](Options& o, unsigned long v) { o.signupsPerAddress = static_cast<unsigned>(v); }},
    {"--max-file-mb", 0, 4096, [](Options& o, unsigned long v) { o.maxFileMegabytes = static_cast<unsigned>(v); }},
    {"--file-expiry-days", 1, 3650, [](Options& o, unsigned long v) { o.fileExpiryDays = static_cast<unsigned>(v); }},
    {"--hash-threads", 0, 64, [](Options& o, unsigned long v) { o.hashThreads = static_cast<unsigned>(v); }},
    {"--node-lease-seconds", 1, 3600,
     [](Options& o, unsigned long v) { o.nodeLeaseSeconds = static_cast<unsigned>(v); }},
};

bool ParseNumber(const char* text, unsigned long& out)
{
    if (*text < '0' || *text > '9') return false;
    char* end = nullptr;
    errno = 0;
    unsigned long value = std::strtoul(text, &end, 10);
    if (errno != 0 || *end != '\0') return false;
    out = value;
    return true;
}

// host or host:port, the host a name or a dotted address, resolved once at start-up.
bool ParseGameServer(const std::string& text, GameServer& out, std::string& error)
{
    const std::size_t colon = text.rfind(':');
    const std::string host = text.substr(0, colon);
    unsigned long port = Options::kDefaultGamePort;
    if (colon != std::string::npos && (!ParseNumber(text.c_str() + colon + 1, port) || port < 1 || port > 65535)) {
        error = "--game-server: the port must be 1 to 65535 in '" + text + "'";
        return false;
    }
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_DGRAM;
    addrinfo* found = nullptr;
    if (host.empty() || getaddrinfo(host.c_str(), nullptr, &hints, &found) != 0 || !found) {
        error = "--game-server: no IPv4 address for '" + host + "'";
        return false;
    }
    const auto* ipv4 = reinterpret_cast<const sockaddr_in*>(found->ai_addr);
    std::memcpy(out.address.data(), &ipv4->sin_addr, out.address.size());
    freeaddrinfo(found);
    out.port = static_cast<std::uint16_t>(port);
    return true;
}

} // namespace

const char* Options::Usage()
{
    return "usage: kvx-server [options]\n"
           "  --port N                 TCP port (default 2600; 0 picks a free one)\n"
           "  --bind ADDR              address to listen on (default 0.0.0.0)\n"
           "  --db PATH|URI            account database: an SQLite file (default kvx.db), or\n"
           "                           postgresql://... to run as one node of a cluster\n"
           "  --min-build N            oldest client build accepted (default 146)\n"
           "  --motd TEXT              message sent to every client after login\n"
           "  --keepalive-seconds N    the clients' keep-alive period; 3 silent periods close\n"
           "                           a connection (default 60, the client's own period)\n"
           "  --first-frame-seconds N  a new connection's first frame must come within N s,\n"
           "                           or it is closed (default 30)\n"
           "  --max-connections N      connections at once (default 1000)\n"
           "  --max-per-address N      connections at once from one address (default 50)\n"
           "  --login-failures-per-address N  per 15 minutes (default 20)\n"
           "  --login-failures-per-account N  per 15 minutes (default 5)\n"
           "  --signups-per-address N  per hour (default 5)\n"
           "  --max-file-mb N          the largest file users may send, in MiB; 0 turns\n"
           "                           sending files off (default 50)\n"
           "  --file-expiry-days N     an offered file not fetched within N days is deleted\n"
           "                           (default 7)\n"
           "  --file-dir PATH          where offered files are kept (default: the database's\n"
           "                           path followed by -files)\n"
           "  --hash-threads N         password hashing threads; 0 = event loop (default 2)\n"
           "  --fast-hash              cheapest password hashing, for tests only\n"
           "  --game-server HOST[:PORT]  a Quake II server to tell clients of (port 27910);\n"
           "                           repeat for more, up to 255\n"
           "  --news TEXT              news sent to every client after its contact list\n"
           "  --demo                   create a demo account (once) with demo contacts that\n"
           "                           come and go; prints its number and password on stderr\n"
           "  --demo-file PATH         with --demo, also write ID= and PW= lines there\n"
           "  --node-lease-seconds N   in a cluster, a node silent this long is taken for lost\n"
           "                           and its users go offline to the others (default 60)\n"
           "  --cert PATH --key PATH   the TLS certificate (PEM, with its chain) and key;\n"
           "                           without them a self-signed pair is made once beside\n"
           "                           the database (DB.cert.pem, DB.key.pem) and its SHA-256\n"
           "                           fingerprint printed at start, for clients to pin\n"
           "  --allow-plaintext        also serve clients that do not speak TLS (off: they\n"
           "                           are refused)\n";
}

bool Options::Parse(int argc, const char* const* argv, std::string& error)
{
    error.clear();
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--help") == 0) return false;
        if (std::strcmp(arg, "--fast-hash") == 0) {
            fastHash = true;
            continue;
        }
        if (std::strcmp(arg, "--demo") == 0) {
            demo = true;
            continue;
        }
        if (std::strcmp(arg, "--allow-plaintext") == 0) {
            allowPlaintext = true;
            continue;
        }
        if (i + 1 >= argc) {
            error = std::string(arg) + ": unknown option or missing value";
            return false;
        }
        const char* value = argv[++i];
        if (std::strcmp(arg, "--bind") == 0) {
            bindAddress = value;
            continue;
        }
        if (std::strcmp(arg, "--db") == 0) {
            databasePath = value;
            continue;
        }
        if (std::strcmp(arg, "--motd") == 0) {
            motd = value;
            continue;
        }
        if (std::strcmp(arg, "--news") == 0) {
            news = value;
            continue;
        }
        if (std::strcmp(arg, "--file-dir") == 0) {
            fileDir = value;
            continue;
        }
        if (std::strcmp(arg, "--demo-file") == 0) {
            demoFile = value;
            continue;
        }
        if (std::strcmp(arg, "--cert") == 0) {
            certPath = value;
            continue;
        }
        if (std::strcmp(arg, "--key") == 0) {
            keyPath = value;
            continue;
        }
        if (std::strcmp(arg, "--game-server") == 0) {
            GameServer server{};
            if (!ParseGameServer(value, server, error)) return false;
            if (gameServers.size() == kMaxGameServers) {
                error = "--game-server: at most " + std::to_string(kMaxGameServers) + " servers";
                return false;
            }
            gameServers.push_back(server);
            continue;
        }
        const NumericOption* option = nullptr;
        for (const NumericOption& candidate : kNumericOptions) {
            if (std::strcmp(arg, candidate.name) == 0) option = &candidate;
        }
        if (option == nullptr) {
            error = std::string(arg) + ": unknown option";
            return false;
        }
        unsigned long number = 0;
        if (!ParseNumber(value, number) || number < option->min || number > option->max) {
            error = std::string(arg) + ": expected a number from " + std::to_string(option->min) + " to " +
                    std::to_string(option->max) + ", got '" + value + "'";
            return false;
        }
        option->set(*this, number);
    }
    if (!demoFile.empty() && !demo) {
        error = "--demo-file: only with --demo";
        return false;
    }
    if (certPath.empty() != keyPath.empty()) {
        error = "--cert and --key: give both or neither";
        return false;
    }
    if (databasePath.empty()) {
        error = "--db: the path may not be empty";
        return false;
    }
    // Behind one balancer every node must show the certificate its clients pinned, and a
    // database URI is no place to keep one.
    if (IsPostgresUri(databasePath) && certPath.empty()) {
        error = "--cert and --key: a cluster's nodes share one certificate";
        return false;
    }
    // A cluster's database is no folder: its nodes are given a shared one.
    if (fileDir.empty()) fileDir = IsPostgresUri(databasePath) ? "kvx-server-files" : databasePath + "-files";
    return true;
}

} // namespace kvxserver

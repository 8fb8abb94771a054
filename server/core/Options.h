// The server's settings, as given on the command line.
#ifndef KVX_SERVER_OPTIONS_H
#define KVX_SERVER_OPTIONS_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "wire/Packets.h"

namespace kvxserver {

// A game server the KVX server tells its clients about.
struct GameServer {
    std::array<std::uint8_t, 4> address; // IPv4, network order
    std::uint16_t port;
};

class Options {
public:
    std::uint16_t port = 2600; // 0 picks a free port
    std::string bindAddress = "0.0.0.0";
    std::string databasePath = "kvx.db";
    std::uint32_t minBuild = BUILD_NUMBER;
    std::string motd; // sent after every login when not empty
    // The clients' keep-alive period (KVX sends one every 60 s, whatever its state); silence
    // for three periods closes a connection, so one late keep-alive is forgiven.
    unsigned keepAliveSeconds = 60;
    unsigned firstFrameSeconds = 30;       // a connection's first whole frame must come this soon
    unsigned maxConnections = 1000;        // open at once, in total
    unsigned maxPerAddress = 50;           // open at once from one IP address
    unsigned loginFailuresPerAddress = 20; // within kLoginFailureWindowSeconds
    unsigned loginFailuresPerAccount = 5;  // within kLoginFailureWindowSeconds
    unsigned signupsPerAddress = 5;        // within kSignupWindowSeconds
    unsigned hashThreads = 2;              // 0 hashes on the event loop itself
    bool fastHash = false;                 // cheapest argon2id limits, for tests
    std::vector<GameServer> gameServers;   // Quake II servers, sent after the address info
    std::string news;                      // sent after every contact list when not empty
    bool demo = false;                     // a demo account with server-side demo contacts
    std::string demoFile;                  // where --demo writes the demo account's ID= and PW=
    unsigned maxFileMegabytes = 50;        // the largest file a user may send
    unsigned fileExpiryDays = 7;           // an offer not fetched by then is forgotten
    std::string fileDir;                   // the files' bytes; empty: the database's path + "-files"
    // In a cluster (a postgresql:// database): a node not heard from this long is taken for
    // lost, and its users go offline to the other nodes' users.
    unsigned nodeLeaseSeconds = 60;
    std::string certPath;        // PEM certificate (chain); empty: the server's own
    std::string keyPath;         // PEM private key of certPath
    bool allowPlaintext = false; // also serve clients that do not start TLS

    static constexpr unsigned kLoginFailureWindowSeconds = 15 * 60;
    static constexpr unsigned kSignupWindowSeconds = 60 * 60;
    static constexpr std::uint16_t kDefaultGamePort = 27910;

    // Reads the arguments after the program name. On a mistake returns false with a one-line
    // explanation in error. --help also returns false, with error empty.
    bool Parse(int argc, const char* const* argv, std::string& error);

    static const char* Usage();
};

} // namespace kvxserver

#endif

// One answer to the connectionless status query of a Quake II or QuakeWorld server, read
// from the datagram as it came. Portable: no sockets, no Win32.
//   query:          FF FF FF FF "status\n"
//   Quake II:       FF FF FF FF "print\n" \key\value...\n  score ping "name"\n ...
//   QuakeWorld:     FF FF FF FF 'n' \key\value...\n  userid frags time ping "name" ...\n ...
#ifndef KVX_PROBE_STATUSREPLY_H
#define KVX_PROBE_STATUSREPLY_H

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace kvxprobe {

class StatusReply {
public:
    enum class Dialect { QuakeII, QuakeWorld };

    struct Player {
        int score = 0; // frags
        int ping = 0;  // milliseconds, as the server reports it
        std::string name;
        bool spectator = false; // QuakeWorld spectators watch and are not counted
    };

    // The query both kinds of server answer; not NUL-terminated.
    static const char kQuery[];
    static const std::size_t kQuerySize = 11;

    // Reads one datagram. False when it is no status answer; the reply is then empty. Lines
    // that make no sense as a player are skipped, never read past the datagram's end.
    bool Parse(const char* data, std::size_t length);

    Dialect dialect() const { return dialect_; }
    // The server's own value for key (case as sent), or an empty text.
    const std::string& Value(const std::string& key) const;
    const std::vector<std::pair<std::string, std::string>>& Info() const { return info_; }

    std::string HostName() const;
    std::string Map() const;
    int MaxClients() const; // -1 when the server does not say
    int PlayerCount() const;
    const std::vector<Player>& Players() const { return players_; }

private:
    void ReadInfo(const std::string& line);
    bool ReadPlayer(const std::string& line, Player& player) const;

    Dialect dialect_ = Dialect::QuakeII;
    std::vector<std::pair<std::string, std::string>> info_;
    std::vector<Player> players_;
};

} // namespace kvxprobe

#endif

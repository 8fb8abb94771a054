// The user's own list of servers, as the text of the file it is kept in (probe.ini):
//   [Quake2]
//   Server=q2.example.net:27910
// Every line that is not understood stays exactly where it was, and is reported, so saving
// the list again never loses what someone wrote by hand. Portable: text in, text out.
#ifndef KVX_PROBE_SERVERLIST_H
#define KVX_PROBE_SERVERLIST_H

#include <string>
#include <vector>

#include "ServerAddress.h"

namespace kvxprobe {

class ServerList {
public:
    // Replaces the list with the one in text (any line ends).
    void Load(const std::string& text);

    std::vector<ServerAddress> Servers() const;
    // One sentence per line that was kept but not understood, naming its line number.
    const std::vector<std::string>& Problems() const { return problems_; }

    // False when the server is listed already.
    bool Add(const ServerAddress& server);
    // False when it is not listed.
    bool Remove(const ServerAddress& server);

    // The file's text, with Windows line ends.
    std::string Text() const;

private:
    struct Line {
        std::string text;    // as read, or as written for an added server
        bool server = false; // a Server= line of the [Quake2] section
        ServerAddress address;
    };

    std::vector<Line> lines_;
    std::vector<std::string> problems_;
};

} // namespace kvxprobe

#endif

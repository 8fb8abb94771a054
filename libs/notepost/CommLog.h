// The log of one user's messages, Logs\<account>.txt under the working folder: plain text,
// one block per message (a head line with the time, the direction and who, then the text
// indented by two spaces, then an empty line), so it reads well in any editor too.
#ifndef KVX_NOTEPOST_COMMLOG_H
#define KVX_NOTEPOST_COMMLOG_H

#include <cstdint>
#include <string>

class CCommLog {
public:
    explicit CCommLog(std::int32_t account);

    const std::string& Path() const { return m_path; }
    // `when` in seconds since 1970, UTC (0: now), written in local time. False when the
    // file could not be written.
    bool Append(std::int32_t other, const char* nickname, bool received, std::uint32_t when, const char* text) const;
    // The blocks of messages with `other`, oldest first; "" when there are none.
    std::string With(std::int32_t other) const;

private:
    std::string m_path;
};

#endif

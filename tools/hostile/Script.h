// A hostile server's script: what to send one client connection, one step a line.
//   expect TYPE              read frames until one of TYPE arrives (the end if the peer closes)
//   send TYPE                a frame with no payload
//   send TYPE text WORDS...  a frame holding the rest of the line, NUL-terminated
//   send TYPE fill N BYTE    a frame of N copies of BYTE (no terminator)
//   send TYPE random N       a frame of N random bytes
//   event KIND FROM TO       PKT_NEW_EVENT frames whose head claims data lengths FROM..TO
//   every-type FROM TO [except T...]   one frame of each type, random payload and length
//   flood COUNT TYPE LENGTH  COUNT frames of random payload in one write
//   raw HEX...               bytes as they stand (a header claiming anything), inside TLS
//   plain                    (first line only) no TLS on this connection: what follows
//                            goes out in clear, so garbage or silence meets the handshake
//   record HEX...            bytes straight onto the connection, under TLS (a truncated
//                            record, one that claims more than it holds)
//   garbage N                N random bytes
//   split on|off             send what follows one byte per write
//   sleep MS | hold | close | reset
// Lines starting with # and blank lines are skipped.
#ifndef KVX_HOSTILE_SCRIPT_H
#define KVX_HOSTILE_SCRIPT_H

#include <cstdint>
#include <string>
#include <vector>

namespace kvxhostile {

enum class Op { Expect, Send, Event, EveryType, Flood, Raw, Garbage, Split, Sleep, Hold, Close, Reset, Plain, Record };
enum class Fill { None, Text, Repeat, Random };

struct Step {
    Op op = Op::Hold;
    std::uint16_t type = 0;
    Fill fill = Fill::None;
    std::uint32_t a = 0; // a count, length, kind, start or time, by op
    std::uint32_t b = 0; // a byte, an end or a length, by op
    std::vector<std::uint16_t> except;
    std::string bytes; // the text or the raw bytes
    int line = 0;
};

class Script {
public:
    // Reads the script at `path`; false with a message naming the line when it is wrong.
    bool Load(const std::string& path, std::string& error);
    const std::vector<Step>& Steps() const { return m_steps; }
    const std::string& Name() const { return m_name; }
    // The connection does without TLS.
    bool Plain() const { return !m_steps.empty() && m_steps.front().op == Op::Plain; }

private:
    bool ParseLine(const std::string& line, int number, std::string& error);

    std::string m_name;
    std::vector<Step> m_steps;
};

} // namespace kvxhostile

#endif

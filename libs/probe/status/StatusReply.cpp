#include "StatusReply.h"

#include <algorithm>
#include <cstring>

namespace kvxprobe {

namespace {

const char kPrefix[] = "\xff\xff\xff\xff";
const std::size_t kPrefixSize = 4;
const char kQuakeIIHead[] = "print\n";
const std::size_t kQuakeIIHeadSize = 6;
const long long kMaxNumber = 1000000000; // numbers beyond are read as this, so they never wrap
const int kMaxNumbers = 8;               // more leading numbers than any server sends: not a player line

// Reads a signed decimal at text[at], moving at past it. False when there is none.
bool ReadNumber(const std::string& text, std::size_t& at, int& out)
{
    std::size_t i = at;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    const std::size_t digits = i;
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        value = std::min(value * 10 + (text[i] - '0'), kMaxNumber);
        ++i;
    }
    if (i == digits) return false;
    out = static_cast<int>(negative ? -value : value);
    at = i;
    return true;
}

void SkipBlanks(const std::string& text, std::size_t& at)
{
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t')) ++at;
}

std::string Lowered(const std::string& text)
{
    std::string out = text;
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

const std::string kEmpty;

} // namespace

const char StatusReply::kQuery[] = "\xff\xff\xff\xffstatus\n";
static_assert(sizeof StatusReply::kQuery == StatusReply::kQuerySize + 1, "query is 11 bytes");

bool StatusReply::Parse(const char* data, std::size_t length)
{
    info_.clear();
    players_.clear();
    dialect_ = Dialect::QuakeII;
    if (!data || length < kPrefixSize + 1 || std::memcmp(data, kPrefix, kPrefixSize) != 0) return false;
    std::size_t at = kPrefixSize;
    if (length - at >= kQuakeIIHeadSize && std::memcmp(data + at, kQuakeIIHead, kQuakeIIHeadSize) == 0) {
        at += kQuakeIIHeadSize;
    } else if (data[at] == 'n') {
        dialect_ = Dialect::QuakeWorld;
        ++at;
    } else {
        return false;
    }
    // QuakeWorld ends its text with a NUL; nothing after one counts.
    const char* end = static_cast<const char*>(std::memchr(data + at, '\0', length - at));
    const std::string body(data + at, end ? static_cast<std::size_t>(end - (data + at)) : length - at);

    std::size_t lineStart = 0;
    bool first = true;
    while (lineStart < body.size()) {
        std::size_t lineEnd = body.find('\n', lineStart);
        if (lineEnd == std::string::npos) lineEnd = body.size();
        std::string line = body.substr(lineStart, lineEnd - lineStart);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lineStart = lineEnd + 1;
        if (first) {
            ReadInfo(line);
            first = false;
            continue;
        }
        Player player;
        if (ReadPlayer(line, player)) players_.push_back(player);
    }
    return true;
}

void StatusReply::ReadInfo(const std::string& line)
{
    // \key\value\key\value: a leading backslash is usual but not required.
    std::size_t at = !line.empty() && line[0] == '\\' ? 1 : 0;
    while (at < line.size()) {
        std::size_t split = line.find('\\', at);
        if (split == std::string::npos) break; // a key without its value
        std::string key = line.substr(at, split - at);
        std::size_t next = line.find('\\', split + 1);
        if (next == std::string::npos) next = line.size();
        std::string value = line.substr(split + 1, next - split - 1);
        if (!key.empty()) info_.emplace_back(std::move(key), std::move(value));
        at = next + 1;
    }
}

bool StatusReply::ReadPlayer(const std::string& line, Player& player) const
{
    int numbers[kMaxNumbers];
    int count = 0;
    std::size_t at = 0;
    for (;;) {
        SkipBlanks(line, at);
        int value = 0;
        if (count == kMaxNumbers || !ReadNumber(line, at, value)) break;
        numbers[count++] = value;
    }
    // Quake II: score ping; QuakeWorld: userid frags time ping.
    const int needed = dialect_ == Dialect::QuakeWorld ? 4 : 2;
    if (count < needed || at >= line.size()) return false;
    if (line[at] == '"') {
        const std::size_t close = line.find('"', at + 1);
        player.name = line.substr(at + 1, close == std::string::npos ? std::string::npos : close - at - 1);
    } else {
        player.name = line.substr(at);
    }
    if (dialect_ == Dialect::QuakeWorld) {
        player.score = numbers[1];
        player.ping = numbers[3];
        // Spectators come with frags of -9999 or a name marked \s\.
        player.spectator = numbers[1] == -9999 || player.name.compare(0, 3, "\\s\\") == 0;
        if (player.name.compare(0, 3, "\\s\\") == 0) player.name.erase(0, 3);
    } else {
        player.score = numbers[0];
        player.ping = numbers[1];
    }
    return true;
}

const std::string& StatusReply::Value(const std::string& key) const
{
    for (const auto& pair : info_)
        if (pair.first == key) return pair.second;
    const std::string lowered = Lowered(key);
    for (const auto& pair : info_)
        if (Lowered(pair.first) == lowered) return pair.second;
    return kEmpty;
}

std::string StatusReply::HostName() const
{
    const std::string& name = Value("hostname");
    return name.empty() ? Value("sv_hostname") : name;
}

std::string StatusReply::Map() const
{
    const std::string& map = Value("mapname");
    return map.empty() ? Value("map") : map;
}

int StatusReply::MaxClients() const
{
    const std::string& text = Value("maxclients");
    std::size_t at = 0;
    int value = -1;
    if (!ReadNumber(text, at, value) || value < 0) return -1;
    return value;
}

int StatusReply::PlayerCount() const
{
    int count = 0;
    for (const Player& player : players_)
        if (!player.spectator) ++count;
    return count;
}

} // namespace kvxprobe

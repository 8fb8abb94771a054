#include "Script.h"

#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>

namespace kvxhostile {

namespace {

bool Number(const std::string& word, std::uint32_t max, std::uint32_t& out)
{
    if (word.empty()) return false;
    char* end = nullptr;
    const unsigned long value = std::strtoul(word.c_str(), &end, 0);
    if (*end != '\0' || value > max) return false;
    out = static_cast<std::uint32_t>(value);
    return true;
}

bool Type(const std::string& word, std::uint16_t& out)
{
    std::uint32_t value = 0;
    if (!Number(word, 0xFFFF, value)) return false;
    out = static_cast<std::uint16_t>(value);
    return true;
}

bool Hex(const std::vector<std::string>& words, std::string& out)
{
    for (std::size_t i = 1; i < words.size(); ++i) {
        const std::string& word = words[i];
        if (word.size() % 2 != 0) return false;
        for (std::size_t j = 0; j < word.size(); j += 2) {
            std::uint32_t byte = 0;
            if (!Number("0x" + word.substr(j, 2), 0xFF, byte)) return false;
            out += static_cast<char>(byte);
        }
    }
    return !out.empty();
}

const std::map<std::string, Op> kOps = {
    {"expect", Op::Expect}, {"send", Op::Send},     {"event", Op::Event},     {"every-type", Op::EveryType},
    {"flood", Op::Flood},   {"raw", Op::Raw},       {"garbage", Op::Garbage}, {"split", Op::Split},
    {"sleep", Op::Sleep},   {"hold", Op::Hold},     {"close", Op::Close},     {"reset", Op::Reset},
    {"plain", Op::Plain},   {"record", Op::Record},
};

// The payload of a send: nothing, the rest of the line as text, N copies of a byte, or N
// random bytes.
bool ParseFill(const std::vector<std::string>& words, const std::string& line, Step& step)
{
    if (words.size() == 2) return true;
    const std::string& how = words[2];
    if (how == "text") {
        const std::size_t at = line.find("text") + 4;
        step.fill = Fill::Text;
        step.bytes = at < line.size() ? line.substr(line.find_first_not_of(' ', at)) : std::string();
        return true;
    }
    if (how == "fill" && words.size() == 5) {
        step.fill = Fill::Repeat;
        return Number(words[3], 2044, step.a) && Number(words[4], 0xFF, step.b);
    }
    if (how == "random" && words.size() == 4) {
        step.fill = Fill::Random;
        return Number(words[3], 2044, step.a);
    }
    return false;
}

bool ParseArguments(const std::vector<std::string>& words, const std::string& line, Step& step)
{
    const std::size_t n = words.size();
    switch (step.op) {
    case Op::Expect: return n == 2 && Type(words[1], step.type);
    case Op::Send: return n >= 2 && Type(words[1], step.type) && ParseFill(words, line, step);
    case Op::Event:
        return n == 4 && Type(words[1], step.type) && Number(words[2], 0xFFFF, step.a) &&
               Number(words[3], 0xFFFF, step.b) && step.a <= step.b;
    case Op::EveryType: {
        if (n < 3 || !Number(words[1], 0xFFFF, step.a) || !Number(words[2], 0xFFFF, step.b) || step.a > step.b)
            return false;
        if (n == 3) return true;
        if (words[3] != "except" || n == 4) return false;
        for (std::size_t i = 4; i < n; ++i) {
            std::uint16_t type = 0;
            if (!Type(words[i], type)) return false;
            step.except.push_back(type);
        }
        return true;
    }
    case Op::Flood:
        return n == 4 && Number(words[1], 1000000, step.a) && Type(words[2], step.type) &&
               Number(words[3], 2044, step.b);
    case Op::Raw:
    case Op::Record: return Hex(words, step.bytes);
    case Op::Garbage: return n == 2 && Number(words[1], 1 << 24, step.a);
    case Op::Split: step.a = n == 2 && words[1] == "on"; return n == 2 && (words[1] == "on" || words[1] == "off");
    case Op::Sleep: return n == 2 && Number(words[1], 600000, step.a);
    case Op::Hold:
    case Op::Plain:
    case Op::Close:
    case Op::Reset: return n == 1;
    }
    return false;
}

} // namespace

bool Script::Load(const std::string& path, std::string& error)
{
    std::ifstream in(path);
    if (!in) {
        error = path + ": cannot be read";
        return false;
    }
    const std::size_t slash = path.find_last_of('/');
    m_name = slash == std::string::npos ? path : path.substr(slash + 1);
    m_steps.clear();
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        if (!ParseLine(line, number, error)) {
            error = path + ":" + std::to_string(number) + ": " + error;
            return false;
        }
    }
    return true;
}

bool Script::ParseLine(const std::string& line, int number, std::string& error)
{
    std::istringstream in(line);
    std::vector<std::string> words;
    for (std::string word; in >> word;) words.push_back(word);
    if (words.empty() || words[0][0] == '#') return true;
    const auto op = kOps.find(words[0]);
    if (op == kOps.end()) {
        error = "unknown step \"" + words[0] + "\"";
        return false;
    }
    Step step;
    step.op = op->second;
    step.line = number;
    if (!ParseArguments(words, line, step)) {
        error = "bad arguments to \"" + words[0] + "\"";
        return false;
    }
    m_steps.push_back(step);
    return true;
}

} // namespace kvxhostile

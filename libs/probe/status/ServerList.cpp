#include "ServerList.h"

namespace kvxprobe {

namespace {

const char kSection[] = "[quake2]";
const char kKey[] = "server";

std::string Trimmed(const std::string& text)
{
    const char* blanks = " \t";
    const std::size_t first = text.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

std::string Lowered(std::string text)
{
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return text;
}

bool IsSection(const std::string& line) { return Lowered(Trimmed(line)) == kSection; }

} // namespace

void ServerList::Load(const std::string& text)
{
    lines_.clear();
    problems_.clear();
    bool inSection = false;
    std::size_t start = 0;
    int number = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        Line line;
        line.text = text.substr(start, end - start);
        if (!line.text.empty() && line.text.back() == '\r') line.text.pop_back();
        start = end + 1;
        ++number;

        const std::string trimmed = Trimmed(line.text);
        if (!trimmed.empty() && trimmed[0] == '[') {
            inSection = IsSection(trimmed);
        } else if (inSection && !trimmed.empty() && trimmed[0] != ';' && trimmed[0] != '#') {
            const std::size_t equals = trimmed.find('=');
            std::string error;
            if (equals == std::string::npos || Lowered(Trimmed(trimmed.substr(0, equals))) != kKey) {
                problems_.push_back("Line " + std::to_string(number) + " is not Server=host:port.");
            } else if (!ServerAddress::Parse(trimmed.substr(equals + 1), line.address, error)) {
                problems_.push_back("Line " + std::to_string(number) + ": " + error);
            } else {
                line.server = true;
            }
        }
        lines_.push_back(std::move(line));
    }
}

std::vector<ServerAddress> ServerList::Servers() const
{
    std::vector<ServerAddress> servers;
    for (const Line& line : lines_) {
        if (!line.server) continue;
        bool seen = false;
        for (const ServerAddress& other : servers) seen = seen || other == line.address;
        if (!seen) servers.push_back(line.address);
    }
    return servers;
}

bool ServerList::Add(const ServerAddress& server)
{
    std::size_t section = lines_.size();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (lines_[i].server && lines_[i].address == server) return false;
        if (section == lines_.size() && IsSection(lines_[i].text)) section = i;
    }
    std::size_t insertAt;
    if (section == lines_.size()) {
        if (!lines_.empty() && !Trimmed(lines_.back().text).empty()) lines_.push_back(Line());
        Line head;
        head.text = "[Quake2]";
        lines_.push_back(head);
        insertAt = lines_.size();
    } else {
        // After the section's last line that is not blank.
        insertAt = section + 1;
        while (insertAt < lines_.size() && Trimmed(lines_[insertAt].text).compare(0, 1, "[") != 0) ++insertAt;
        while (insertAt > section + 1 && Trimmed(lines_[insertAt - 1].text).empty()) --insertAt;
    }
    Line line;
    line.text = "Server=" + server.Text();
    line.server = true;
    line.address = server;
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), line);
    return true;
}

bool ServerList::Remove(const ServerAddress& server)
{
    bool removed = false;
    for (std::size_t i = lines_.size(); i-- > 0;) {
        if (lines_[i].server && lines_[i].address == server) {
            lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(i));
            removed = true;
        }
    }
    return removed;
}

std::string ServerList::Text() const
{
    std::string text;
    for (const Line& line : lines_) text += line.text + "\r\n";
    return text;
}

} // namespace kvxprobe

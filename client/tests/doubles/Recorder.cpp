#include "doubles/Recorder.h"

Recorder& Recorder::Get()
{
    static Recorder recorder;
    return recorder;
}

void Recorder::Reset()
{
    m_calls.clear();
    m_sent.clear();
    m_handed.clear();
    m_script = LibraryScript();
}

int Recorder::Count(const std::string& name) const
{
    int n = 0;
    for (const std::string& call : m_calls)
        if (call.compare(0, name.size() + 1, name + "(") == 0) ++n;
    return n;
}

std::string Args(std::initializer_list<std::string> parts)
{
    std::string out = "(";
    bool first = true;
    for (const std::string& part : parts) {
        if (!first) out += ", ";
        out += part;
        first = false;
    }
    return out + ")";
}

std::string Num(long long value) { return std::to_string(value); }

std::string Text(const char* text) { return text ? "\"" + std::string(text) + "\"" : "null"; }

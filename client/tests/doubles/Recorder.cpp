#include "doubles/Recorder.h"

std::string Args(std::initializer_list<std::string> parts)
{
    std::string out;
    for (const std::string& part : parts) out += (out.empty() ? "" : ", ") + part;
    return "(" + out + ")";
}

std::string Num(long long value) { return std::to_string(value); }

std::string Text(const char* text) { return text ? "\"" + std::string(text) + "\"" : "null"; }

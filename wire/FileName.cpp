#include "wire/FileName.h"

#include <cctype>
#include <cstring>

namespace kvxwire {

namespace {

const char* const kDevices[] = {"CON",  "PRN",  "AUX",  "NUL",  "COM1", "COM2", "COM3", "COM4", "COM5", "COM6", "COM7",
                                "COM8", "COM9", "LPT1", "LPT2", "LPT3", "LPT4", "LPT5", "LPT6", "LPT7", "LPT8", "LPT9"};

// "nul", "NUL.txt" and "com1.tar.gz" all open the device.
bool NamesDevice(const char* name, std::size_t length)
{
    const char* dot = static_cast<const char*>(std::memchr(name, '.', length));
    const std::size_t stem = dot ? static_cast<std::size_t>(dot - name) : length;
    for (const char* device : kDevices) {
        if (std::strlen(device) != stem) continue;
        bool same = true;
        for (std::size_t i = 0; i < stem && same; ++i)
            same = std::toupper(static_cast<unsigned char>(name[i])) == device[i];
        if (same) return true;
    }
    return false;
}

} // namespace

const char* FileNameProblem(const char* name, std::size_t field)
{
    const std::size_t length = strnlen(name, field);
    if (length == field) return "The file's name is too long.";
    if (length == 0) return "The file has no name.";
    for (std::size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c < 32 || std::strchr("\\/:*?\"<>|", c))
            return "A file's name may not hold \\ / : * ? \" < > | or control characters.";
    }
    if (std::strncmp(name, "..", 2) == 0) return "A file's name may not begin with \"..\".";
    if (name[length - 1] == '.' || name[length - 1] == ' ') return "A file's name may not end in a dot or a space.";
    if (NamesDevice(name, length)) return "That name belongs to a Windows device, not a file.";
    return nullptr;
}

} // namespace kvxwire

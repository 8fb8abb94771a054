#include "app/Settings.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/Reporter.h"

CSettings::CSettings(const char* name)
{
    m_path[0] = '\0';
    char folder[kDirectoryLimit + 1];
    const DWORD n = GetCurrentDirectoryA(sizeof folder, folder);
    if (n == 0 || n > kDirectoryLimit) return;

    // The root of a drive comes with its backslash already ("C:\").
    const char* separator = folder[n - 1] == '\\' ? "" : "\\";
    const int length = snprintf(m_path, sizeof m_path, "%s%s%s.ini", folder, separator, name);
    if (length < 0 || length >= static_cast<int>(sizeof m_path)) m_path[0] = '\0';
}

bool CSettings::ReadString(const char* section, const char* key, char* buffer, DWORD size)
{
    const DWORD copied = GetPrivateProfileStringA(section, key, "NONE", buffer, size, m_path);
    if (copied == 0) return CReporter::Error("Cannot read setting from INI file. (%s)", m_path);
    return lstrcmpiA(buffer, "NONE") != 0;
}

LONG CSettings::ReadInt(const char* section, const char* key)
{
    char text[100];
    if (!ReadString(section, key, text, sizeof text)) return -1;
    return strtol(text, nullptr, 10);
}

bool CSettings::Holds(const char* section, const char* key, const char* value) const
{
    char stored[1024];
    const size_t length = strlen(value);
    // An empty value reads like a missing key, and a longer one than the buffer cannot be compared.
    if (length == 0 || length >= sizeof stored - 1) return false;
    GetPrivateProfileStringA(section, key, "", stored, sizeof stored, m_path);
    return strcmp(stored, value) == 0;
}

bool CSettings::WriteString(const char* section, const char* key, const char* value)
{
    if (value && Holds(section, key, value)) return true;
    if (WritePrivateProfileStringA(section, key, value, m_path)) return true;
    return CReporter::Error("Cannot save setting to INI file. (%s)", m_path);
}

bool CSettings::WriteInt(const char* section, const char* key, LONG value)
{
    char text[12] = {};
    snprintf(text, sizeof text, "%ld", static_cast<long>(value));
    return WriteString(section, key, text);
}

// The settings store: single values of KVX.ini in the current folder, read and written
// through the private-profile functions with no cache. "NONE" (any letter case) means no
// value; a missing integer reads as -1.
#ifndef KVX_SETTINGS_H
#define KVX_SETTINGS_H

#include <windows.h>

class CSettings {
public:
    // Builds "<current folder>\<name>.ini".
    explicit CSettings(const char* name);
    virtual ~CSettings() = default;

    // False when the current folder was too long for a usable INI path; such a store must
    // not be used (start-up refuses to go on).
    bool IsUsable() const { return m_path[0] != '\0'; }
    const char* Path() const { return m_path; }

    // True when a value other than "NONE" was read; the value is cut to size - 1 characters.
    // A key present with an empty value is reported as a read error and reads as missing.
    bool ReadString(const char* section, const char* key, char* buffer, DWORD size);
    // The decimal value, or -1 when ReadString gives false.
    LONG ReadInt(const char* section, const char* key);
    // A value the file already holds is not written again, so a read-only file that holds
    // it costs nothing. False when the write failed, after reporting it; the caller decides
    // what the lost value means.
    bool WriteString(const char* section, const char* key, const char* value);
    bool WriteInt(const char* section, const char* key, LONG value);

    static const DWORD kDirectoryLimit = 256;

private:
    bool Holds(const char* section, const char* key, const char* value) const;

    char m_path[MAX_PATH];
};

#endif

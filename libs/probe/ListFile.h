// A text file read and written whole: the user's server list. A save goes to a temporary
// file beside it first, which replaces the old one only once complete, so a full disk or a
// crash never leaves half a list behind.
#ifndef KVX_PROBE_LISTFILE_H
#define KVX_PROBE_LISTFILE_H

#include <windows.h>

#include <string>

class CListFile {
public:
    // name is taken against the current folder now; later changes of folder do not matter.
    explicit CListFile(const char* name);

    const std::string& Path() const { return m_path; }

    // A missing file reads as empty. False, with a sentence for the user, when it exists
    // but cannot be read or is too large to be a server list.
    bool Read(std::string& text, std::string& error) const;
    bool Write(const std::string& text, std::string& error) const;

private:
    std::string ErrorText(const char* what, DWORD code) const;

    std::string m_path;
};

#endif

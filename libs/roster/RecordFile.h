// A small binary file under the working folder, read whole and replaced whole, so a crash
// while saving leaves the previous copy rather than half a file.
#ifndef KVX_ROSTER_RECORDFILE_H
#define KVX_ROSTER_RECORDFILE_H

#include <string>

class CRecordFile {
public:
    // `path` is relative to the working folder, e.g. "Data\\contacts.dat".
    explicit CRecordFile(const char* path);

    // The whole file, or "" when it is missing or unreadable.
    std::string Read() const;
    // Writes `bytes` to a temporary file beside it, then moves it over the old one; the
    // folder is created when missing. False when anything failed (the old file is kept).
    bool Write(const std::string& bytes) const;

private:
    std::string m_path;
};

#endif

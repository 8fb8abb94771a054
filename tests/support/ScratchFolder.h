// A fresh, empty folder for one test, deleted with everything in it afterwards.
#ifndef KVX_TEST_SCRATCH_FOLDER_H
#define KVX_TEST_SCRATCH_FOLDER_H

#include <string>

class ScratchFolder {
public:
    explicit ScratchFolder(const std::string& name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    std::string File(const std::string& relative) const { return m_path + "\\" + relative; }

    void Write(const std::string& relative, const std::string& bytes) const;
    std::string Read(const std::string& relative) const; // "" when missing
    bool Exists(const std::string& relative) const;
    bool IsFolder(const std::string& relative) const;

private:
    std::string m_path;
};

// Removes a folder and everything below it.
void RemoveTree(const std::string& path);
// A whole file's bytes, "" when it is missing.
std::string ReadWhole(const std::string& path);

#endif

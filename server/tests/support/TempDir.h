// A fresh directory for one test's files, removed with everything in it afterwards.
#ifndef KVX_SERVER_TESTS_TEMPDIR_H
#define KVX_SERVER_TESTS_TEMPDIR_H

#include <string>

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

#endif

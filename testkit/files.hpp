// Scratch directories and whole-file helpers for tests.
#pragma once

#include <string>

namespace testkit {

// A fresh directory under $TMPDIR (or /tmp), removed with everything in it
// when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::string read_file(const std::string& path);   // throws when unreadable
void write_file(const std::string& path, const std::string& bytes);
bool file_exists(const std::string& path);

}  // namespace testkit

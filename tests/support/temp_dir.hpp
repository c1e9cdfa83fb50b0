// A fresh directory for one test, removed with everything in it afterwards.
#pragma once

#include <string>
#include <vector>

namespace testing_support {

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

std::string read_file(const std::string& path);
void write_file(const std::string& path, const std::string& content);
bool file_exists(const std::string& path);
// The names in a directory, without "." and "..".
std::vector<std::string> directory_entries(const std::string& dir);
// Whether a run left a temporary file (".NAME.PID.N.part") in dir.
bool has_temporary_file(const std::string& dir);
// Waits until a temporary file appears in dir; false after the timeout.
bool wait_for_temporary_file(const std::string& dir, int timeout_ms);

}  // namespace testing_support

#pragma once

#include <filesystem>
#include <map>
#include <string>

namespace veltrano::test {

// A fresh directory for one test, removed with everything in it afterwards.
class TempDir {
public:
    TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    ~TempDir();

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// Every regular file directly in `directory`, by its name in the file system's bytes.
std::map<std::string, std::string> filesIn(const std::filesystem::path& directory);

}  // namespace veltrano::test

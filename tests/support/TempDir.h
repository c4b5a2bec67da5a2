#pragma once

#include <filesystem>
#include <map>
#include <string>

#include "text/Text.h"

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

// A path from UTF-8 bytes, whatever the system's own encoding.
std::filesystem::path utf8Path(const std::string& utf8);

// A directory as the program's hooks hand it over: code page 936 text, not the system's bytes.
Text directoryText(const std::filesystem::path& path);

std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

// Every regular file directly in `directory`, by its name in UTF-8.
std::map<std::string, std::string> filesIn(const std::filesystem::path& directory);

}  // namespace veltrano::test

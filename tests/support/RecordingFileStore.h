#pragma once

#include <map>
#include <string>
#include <system_error>

#include "exchange/FileStore.h"

namespace veltrano::test {

// A file store in memory that can be told to fail, for the failures a real disk rarely gives.
class RecordingFileStore final : public FileStore {
public:
    std::error_code createError;
    std::error_code appendError;
    std::map<std::string, std::string> files;  // by name, in UTF-8
    int closes = 0;

    FileNumber createAndOpen(const std::filesystem::path&, const std::filesystem::path& name,
                             std::error_code& error) override {
        error = createError;
        if (error) return 0;
        const std::u8string utf8 = name.u8string();
        const std::string key(utf8.begin(), utf8.end());
        files[key].clear();
        open_[next_] = key;
        return next_++;
    }
    std::error_code append(FileNumber file, std::string_view bytes) override {
        if (appendError) return appendError;
        files[open_.at(file)].append(bytes);
        return {};
    }
    void close(FileNumber file) override {
        open_.erase(file);
        ++closes;
    }

private:
    std::map<FileNumber, std::string> open_;
    FileNumber next_ = 1;
};

}  // namespace veltrano::test

#include "exchange/DiskFileStore.h"

#include <utility>

#include "exchange/FileError.h"

namespace veltrano {

FileNumber DiskFileStore::createAndOpen(const std::filesystem::path& directory,
                                        const std::filesystem::path& name, std::error_code& error) {
    error.clear();
    if (directory.empty()) {
        error = FileError::NoDirectory;
        return 0;
    }
    auto opened = openNew(directory, name, error);
    if (!opened) return 0;
    const FileNumber number = nextNumber_++;
    files_.emplace(number, std::move(*opened));
    return number;
}

std::error_code DiskFileStore::append(FileNumber file, std::string_view bytes) {
    const auto found = files_.find(file);
    if (found == files_.end()) return std::make_error_code(std::errc::bad_file_descriptor);
    OpenFile& open = found->second;
    if (open.lost) return open.lost;
    // Bytes written to a file nobody can reach any more would be lost without a word.
    if (const std::error_code gone = checkStillThere(open)) {
        closeHandle(open.handle);
        open.lost = gone;
        return gone;
    }
    return writeAll(open.handle, bytes);
}

DiskFileStore::~DiskFileStore() {
    for (const auto& [number, open] : files_) {
        if (!open.lost) closeHandle(open.handle);
    }
}

void DiskFileStore::close(FileNumber file) {
    const auto found = files_.find(file);
    if (found == files_.end()) return;
    if (!found->second.lost) closeHandle(found->second.handle);
    files_.erase(found);
}

}  // namespace veltrano

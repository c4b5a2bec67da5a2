#include "exchange/DiskFileStore.h"

#include "exchange/FileError.h"

namespace veltrano {

FileNumber DiskFileStore::createAndOpen(const std::filesystem::path& directory,
                                        const std::filesystem::path& name, std::error_code& error) {
    error.clear();
    if (directory.empty()) {
        error = FileError::NoDirectory;
        return 0;
    }
    const auto handle = openNew(directory, name, error);
    if (!handle) return 0;
    const FileNumber number = nextNumber_++;
    handles_.emplace(number, *handle);
    return number;
}

DiskFileStore::~DiskFileStore() {
    for (const auto& [number, handle] : handles_) closeHandle(handle);
}

void DiskFileStore::close(FileNumber file) {
    const auto found = handles_.find(file);
    if (found == handles_.end()) return;
    closeHandle(found->second);
    handles_.erase(found);
}

}  // namespace veltrano

#pragma once

#include <cstdint>
#include <optional>
#include <unordered_map>

#include "exchange/FileStore.h"

namespace veltrano {

// The operating system's files. Every file still open is closed when the store goes away.
class DiskFileStore final : public FileStore {
public:
    DiskFileStore() = default;
    DiskFileStore(const DiskFileStore&) = delete;
    DiskFileStore& operator=(const DiskFileStore&) = delete;
    ~DiskFileStore() override;

    FileNumber createAndOpen(const std::filesystem::path& directory,
                             const std::filesystem::path& name, std::error_code& error) override;
    std::error_code append(FileNumber file, std::string_view bytes) override;
    void close(FileNumber file) override;

private:
    // A POSIX descriptor or a Windows HANDLE.
    using NativeHandle = std::intptr_t;

    // Creates or empties and opens the file; nothing, with `error` set, when it cannot.
    static std::optional<NativeHandle> openNew(const std::filesystem::path& directory,
                                               const std::filesystem::path& name,
                                               std::error_code& error);
    static void closeHandle(NativeHandle handle);

    std::unordered_map<FileNumber, NativeHandle> handles_;
    FileNumber nextNumber_ = 1;
};

}  // namespace veltrano

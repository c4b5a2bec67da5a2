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

    // An open file and what tells whether the user can still see it.
    struct OpenFile {
        NativeHandle handle = 0;
        std::filesystem::path directory;
        // The receive directory's device and inode when the file was created (POSIX).
        std::uint64_t directoryDevice = 0;
        std::uint64_t directoryInode = 0;
        // Set once the file is found gone; its handle is then closed and nothing more is written.
        std::error_code lost;
    };

    // Creates the file anew (an existing name is removed first, never emptied in place, since it
    // may be a hard link shared with a file elsewhere) and opens it; nothing, with `error` set,
    // when it cannot.
    static std::optional<OpenFile> openNew(const std::filesystem::path& directory,
                                           const std::filesystem::path& name,
                                           std::error_code& error);
    // Whether the file is still in its receive directory: an error when the file or the
    // directory has been deleted, moved or replaced since it was created.
    static std::error_code checkStillThere(const OpenFile& file);
    // Writes all of `bytes` at the end of the file.
    static std::error_code writeAll(NativeHandle handle, std::string_view bytes);
    static void closeHandle(NativeHandle handle);

    std::unordered_map<FileNumber, OpenFile> files_;
    FileNumber nextNumber_ = 1;
};

}  // namespace veltrano

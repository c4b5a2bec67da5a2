#pragma once

#include <filesystem>
#include <string_view>
#include <system_error>

namespace veltrano {

// Names an open file; 0 means no file.
using FileNumber = int;

// The file operations the receiver needs.
class FileStore {
public:
    virtual ~FileStore() = default;

    // Creates `name` (one plain component) inside `directory` and opens it for appending. An
    // existing file of that name is replaced by a new one, never emptied in place (it may be a hard
    // link to a file elsewhere). A symbolic link or anything but a regular file at `name` is
    // refused, never followed. Returns 0 and sets `error` when it fails.
    virtual FileNumber createAndOpen(const std::filesystem::path& directory,
                                     const std::filesystem::path& name, std::error_code& error) = 0;

    // Writes all of `bytes` at the end of the file. They have reached the operating system when
    // this returns, so a crash of the program afterwards loses none of them. Once the file or its
    // directory has been deleted, moved or replaced, nothing more is written and every call
    // returns why.
    virtual std::error_code append(FileNumber file, std::string_view bytes) = 0;

    virtual void close(FileNumber file) = 0;
};

}  // namespace veltrano

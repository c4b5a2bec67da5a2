#pragma once

#include <system_error>

namespace veltrano {

// Reasons of the receiver's own for not storing a file, beside the operating system's.
enum class FileError {
    UnsafeName = 1,  // the announced name would reach outside the receive directory
    NotRegularFile,  // something other than a plain file stands under that name
    NoDirectory,     // no receive directory is set
    DirectoryGone,   // the receive directory was deleted, moved or replaced while receiving
    FileGone,        // the file being received was deleted or moved out of the directory
};

const std::error_category& fileErrorCategory();
std::error_code make_error_code(FileError error);

}  // namespace veltrano

template <>
struct std::is_error_code_enum<veltrano::FileError> : std::true_type {};

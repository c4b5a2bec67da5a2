#include "exchange/FileError.h"

#include <string>

namespace veltrano {
namespace {

class FileErrorCategory final : public std::error_category {
public:
    const char* name() const noexcept override { return "veltrano-file"; }
    std::string message(int value) const override {
        switch (static_cast<FileError>(value)) {
            case FileError::UnsafeName:
                return "unsafe file name";
            case FileError::NotRegularFile:
                return "not a regular file";
            case FileError::NoDirectory:
                return "no receive directory";
            case FileError::DirectoryGone:
                return "receive directory deleted or moved";
            case FileError::FileGone:
                return "file deleted or moved";
        }
        return "unknown file error";
    }
};

}  // namespace

const std::error_category& fileErrorCategory() {
    static const FileErrorCategory category;
    return category;
}

std::error_code make_error_code(FileError error) {
    return {static_cast<int>(error), fileErrorCategory()};
}

}  // namespace veltrano

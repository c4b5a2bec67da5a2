#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "exchange/DiskFileStore.h"
#include "exchange/FileError.h"

namespace veltrano {
namespace {

std::error_code lastError() {
    return {errno, std::generic_category()};
}

}  // namespace

void DiskFileStore::closeHandle(NativeHandle handle) {
    ::close(static_cast<int>(handle));
}

std::optional<DiskFileStore::NativeHandle> DiskFileStore::openNew(
    const std::filesystem::path& directory, const std::filesystem::path& name,
    std::error_code& error) {
    const int directoryFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd < 0) {
        error = lastError();
        return std::nullopt;
    }
    // Opened relative to the directory, so only this one component is resolved; O_NOFOLLOW
    // refuses a planted link and O_NONBLOCK keeps a planted FIFO from blocking the event loop.
    const int fd = ::openat(
        directoryFd, name.c_str(),
        O_WRONLY | O_CREAT | O_TRUNC | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
        0666);
    if (fd < 0) error = lastError();
    ::close(directoryFd);
    if (fd < 0) return std::nullopt;

    struct stat status {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        error = FileError::NotRegularFile;
        return std::nullopt;
    }
    return fd;
}

std::error_code DiskFileStore::append(FileNumber file, std::string_view bytes) {
    const auto found = handles_.find(file);
    if (found == handles_.end()) return std::make_error_code(std::errc::bad_file_descriptor);
    const int fd = static_cast<int>(found->second);
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return lastError();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return {};
}

}  // namespace veltrano

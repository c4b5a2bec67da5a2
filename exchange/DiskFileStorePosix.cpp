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

// Closes a descriptor when the scope ends.
class ScopedDescriptor {
public:
    explicit ScopedDescriptor(int fd) : fd_(fd) {}
    ScopedDescriptor(const ScopedDescriptor&) = delete;
    ScopedDescriptor& operator=(const ScopedDescriptor&) = delete;
    ~ScopedDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    int get() const { return fd_; }

private:
    int fd_;
};

// Why what stands under a name cannot be replaced by a received file.
std::error_code refusalFor(mode_t mode) {
    if (S_ISLNK(mode)) return std::make_error_code(std::errc::too_many_symbolic_link_levels);
    if (S_ISDIR(mode)) return std::make_error_code(std::errc::is_a_directory);
    return FileError::NotRegularFile;
}

}  // namespace

void DiskFileStore::closeHandle(NativeHandle handle) {
    ::close(static_cast<int>(handle));
}

std::optional<DiskFileStore::OpenFile> DiskFileStore::openNew(
    const std::filesystem::path& directory, const std::filesystem::path& name,
    std::error_code& error) {
    const ScopedDescriptor directoryFd(
        ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat directoryStatus {};
    if (directoryFd.get() < 0 || ::fstat(directoryFd.get(), &directoryStatus) != 0) {
        error = lastError();
        return std::nullopt;
    }
    // Everything is resolved relative to the directory, so only this one component is looked at.
    // An existing plain file is unlinked, never truncated: it may be a hard link to a file outside
    // the directory. O_EXCL then creates a new file or fails, so nothing planted in between is
    // followed or emptied; a few tries cover a name that keeps reappearing.
    int fd = -1;
    for (int attempt = 0; attempt < 3 && fd < 0; ++attempt) {
        struct stat existing {};
        if (::fstatat(directoryFd.get(), name.c_str(), &existing, AT_SYMLINK_NOFOLLOW) == 0) {
            if (!S_ISREG(existing.st_mode)) {
                error = refusalFor(existing.st_mode);
                return std::nullopt;
            }
            // A file the user made read-only stays, as it would if it were written in place.
            if (::faccessat(directoryFd.get(), name.c_str(), W_OK, AT_EACCESS) != 0 &&
                errno == EACCES) {
                error = lastError();
                return std::nullopt;
            }
            if (::unlinkat(directoryFd.get(), name.c_str(), 0) != 0 && errno != ENOENT) {
                error = lastError();
                return std::nullopt;
            }
        } else if (errno != ENOENT) {
            error = lastError();
            return std::nullopt;
        }
        // O_NONBLOCK and O_NOCTTY keep anything unexpected from blocking or taking the terminal.
        fd = ::openat(
            directoryFd.get(), name.c_str(),
            O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC,
            0666);
        if (fd < 0 && errno != EEXIST) {
            error = lastError();
            return std::nullopt;
        }
    }
    if (fd < 0) {
        error = std::make_error_code(std::errc::file_exists);
        return std::nullopt;
    }
    OpenFile file;
    file.handle = fd;
    file.directory = directory;
    file.directoryDevice = directoryStatus.st_dev;
    file.directoryInode = directoryStatus.st_ino;
    return file;
}

std::error_code DiskFileStore::checkStillThere(const OpenFile& file) {
    struct stat directoryStatus {};
    if (::stat(file.directory.c_str(), &directoryStatus) != 0 ||
        directoryStatus.st_dev != file.directoryDevice ||
        directoryStatus.st_ino != file.directoryInode) {
        return FileError::DirectoryGone;
    }
    struct stat fileStatus {};
    if (::fstat(static_cast<int>(file.handle), &fileStatus) != 0) return lastError();
    if (fileStatus.st_nlink == 0) return FileError::FileGone;
    return {};
}

std::error_code DiskFileStore::writeAll(NativeHandle handle, std::string_view bytes) {
    const int fd = static_cast<int>(handle);
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

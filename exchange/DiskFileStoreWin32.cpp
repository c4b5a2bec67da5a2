#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>

#include "exchange/DiskFileStore.h"
#include "exchange/FileError.h"

namespace veltrano {
namespace {

std::error_code lastError() {
    return {static_cast<int>(GetLastError()), std::system_category()};
}

HANDLE toHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

void DiskFileStore::closeHandle(NativeHandle handle) {
    CloseHandle(toHandle(handle));
}

std::optional<DiskFileStore::OpenFile> DiskFileStore::openNew(
    const std::filesystem::path& directory, const std::filesystem::path& name,
    std::error_code& error) {
    const std::filesystem::path path = directory / name;
    // An existing plain file is deleted, never truncated: NTFS has hard links too, and
    // CREATE_ALWAYS would empty a file outside the directory through one. CREATE_NEW then creates
    // a new file or fails; a few tries cover a name that keeps reappearing.
    HANDLE handle = INVALID_HANDLE_VALUE;
    for (int attempt = 0; attempt < 3 && handle == INVALID_HANDLE_VALUE; ++attempt) {
        const DWORD attributes = GetFileAttributesW(path.c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES) {
            if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
                error = std::make_error_code(std::errc::is_a_directory);
                return std::nullopt;
            }
            // A planted link is refused rather than followed or removed.
            if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                error = FileError::NotRegularFile;
                return std::nullopt;
            }
            if (!DeleteFileW(path.c_str()) && GetLastError() != ERROR_FILE_NOT_FOUND) {
                error = lastError();
                return std::nullopt;
            }
        }
        // FILE_FLAG_OPEN_REPARSE_POINT opens a link planted in between itself rather than its
        // target; it is then refused below. Without FILE_SHARE_DELETE neither the file nor its
        // directory can be deleted or moved while the file is being received.
        handle = CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) {
            error = lastError();
            return std::nullopt;
        }
    }
    if (handle == INVALID_HANDLE_VALUE) {
        error = std::make_error_code(std::errc::file_exists);
        return std::nullopt;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    if (!GetFileInformationByHandle(handle, &information) ||
        (information.dwFileAttributes &
         (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0 ||
        GetFileType(handle) != FILE_TYPE_DISK) {
        CloseHandle(handle);
        error = FileError::NotRegularFile;
        return std::nullopt;
    }
    OpenFile file;
    file.handle = reinterpret_cast<NativeHandle>(handle);
    file.directory = directory;
    return file;
}

std::error_code DiskFileStore::checkStillThere(const OpenFile& file) {
    // The sharing mode keeps the directory in place; a file marked for deletion by someone who
    // got in anyway is still caught.
    FILE_STANDARD_INFO information{};
    if (!GetFileInformationByHandleEx(toHandle(file.handle), FileStandardInfo, &information,
                                      sizeof information)) {
        return lastError();
    }
    if (information.DeletePending || information.NumberOfLinks == 0) return FileError::FileGone;
    return {};
}

std::error_code DiskFileStore::writeAll(NativeHandle native, std::string_view bytes) {
    const HANDLE handle = toHandle(native);
    LARGE_INTEGER zero{};
    if (!SetFilePointerEx(handle, zero, nullptr, FILE_END)) return lastError();
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return lastError();
        bytes.remove_prefix(written);
    }
    return {};
}

}  // namespace veltrano

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

std::optional<DiskFileStore::NativeHandle> DiskFileStore::openNew(
    const std::filesystem::path& directory, const std::filesystem::path& name,
    std::error_code& error) {
    const std::filesystem::path path = directory / name;
    // FILE_FLAG_OPEN_REPARSE_POINT opens a planted link itself rather than its target; it is then
    // refused below.
    const HANDLE handle =
        CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        error = lastError();
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
    return reinterpret_cast<NativeHandle>(handle);
}

std::error_code DiskFileStore::append(FileNumber file, std::string_view bytes) {
    const auto found = handles_.find(file);
    if (found == handles_.end()) return std::make_error_code(std::errc::bad_file_descriptor);
    const HANDLE handle = toHandle(found->second);
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

#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace veltrano {

// Shows a fresh "浏览文件夹" dialog, modal to `owner`, opened on `receiveDirectory` (or the
// fallbacks when it is empty). Returns the selected path on "确定", nothing on "取消" or when
// closed by its frame. The process's current directory is as before when it returns.
std::optional<std::wstring> chooseFolder(HWND owner, const std::wstring& receiveDirectory);

}  // namespace veltrano

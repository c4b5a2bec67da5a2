#pragma once

#include <string>
#include <string_view>

#include <windows.h>

#include "text/Text.h"

namespace veltrano {

// UTF-8 (the shared shell's texts) and code page 936 (the program's) to and from the W API.
std::wstring utf8ToWide(std::string_view utf8);
std::string wideToUtf8(std::wstring_view wide);
std::wstring textToWide(const Text& text);
Text wideToText(std::wstring_view wide);

// A window's text, whatever its length.
std::wstring windowText(HWND window);

// The system's own message for a Win32 or Winsock error, UTF-8.
std::string systemMessageUtf8(DWORD error);

}  // namespace veltrano

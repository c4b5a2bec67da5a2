#pragma once

#include <filesystem>
#include <optional>

#include "text/Text.h"

namespace veltrano {

enum class NameRules { Posix, Windows };

#ifdef _WIN32
inline constexpr NameRules kHostNameRules = NameRules::Windows;
#else
inline constexpr NameRules kHostNameRules = NameRules::Posix;
#endif

// Reduces a name announced by the phone to one plain component of the receive directory: the part
// after the last "/" or "\", without a leading drive prefix such as "C:". Returns nothing for a
// name that is then empty, "." or "..", and under Windows rules also for reserved device names
// (CON, PRN, AUX, NUL, COM0-9, LPT0-9, with any extension), names ending in a dot or a space, and
// names holding ":". Works on the Unicode form, never on code page 936 bytes, whose second byte
// may be "\" or "|".
std::optional<WideText> safeFileName(const WideText& name, NameRules rules);

// The same for a code page 936 name, given in the file system's own encoding.
std::optional<std::filesystem::path> safeFileName(const Text& name,
                                                  NameRules rules = kHostNameRules);

// The same for a name in the phone's own UTF-8, so that characters code page 936 lacks keep their
// identity on disk: two different names never become one.
std::optional<std::filesystem::path> safeFileNameFromUtf8(const Text& utf8,
                                                          NameRules rules = kHostNameRules);

// A code page 936 path text in the file system's own encoding.
std::filesystem::path nativePath(const Text& path);

}  // namespace veltrano

#pragma once

#include <cstddef>
#include <string_view>

#include "text/Text.h"

namespace veltrano {

// Wire format, one message per data-arrival event, no length field and no reply:
//   phone -> computer  "STAT||" + percent-encoded UTF-8 file name   starts a file
//                      any message whose text holds neither marker   the file's next bytes, raw
//                      "END||"                                       ends the transfer
//   computer -> phone  "STAT||" + roster in code page 936 + "||END"  the roster
// Markers are found anywhere in the decoded text, case-sensitively.
inline constexpr std::string_view kStartOfFileMarker = "STAT||";
inline constexpr std::string_view kEndOfFileMarker = "END||";
inline constexpr std::string_view kRosterStartMarker = "STAT||";
inline constexpr std::string_view kRosterEndMarker = "||END";

// Longer than any file name a file system takes, even percent-encoded: a start-of-file message
// whose name part is longer names no file.
inline constexpr std::size_t kMaxNameBytes = 4096;

// 1-based byte position of the first occurrence of `needle` in `text`, or -1.
long long textPosition(std::string_view text, std::string_view needle);
bool textContains(std::string_view text, std::string_view needle);

// `text` with every occurrence of `needle` replaced by `replacement`, scanning from the start.
Text replaceAll(std::string_view text, std::string_view needle, std::string_view replacement);

}  // namespace veltrano

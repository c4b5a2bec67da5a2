#pragma once

#include <span>
#include <string_view>

#include "text/Text.h"

namespace veltrano {

inline constexpr unsigned kCodePageAnsi = 0;
inline constexpr unsigned kCodePage936 = 936;
inline constexpr unsigned kCodePageUtf8 = 65001;

// Text to UTF-16, read in `codePage` when `useCodePage` is true, else as UTF-8. Ill-formed input
// becomes U+FFFD (one per maximal subpart for UTF-8), never an error.
WideText toWide(const Text& text, unsigned codePage, bool useCodePage);

// UTF-16 to text in `codePage` when `useCodePage` is true, else in the ANSI code page (which is
// 936 for this program off Windows). Characters with no form in the target become "?". The result
// ends before the first zero byte.
Text fromWide(const WideText& wide, unsigned codePage, bool useCodePage);

// UTF-8 to code page 936, through UTF-16.
Text utf8ToCodePage936(const Text& text);

// Which of `needles` utf8ToCodePage936(utf8) contains, bit i for needles[i] (at most 32). Far
// cheaper than converting when a needle ends in ASCII after a byte that cannot lead a two-byte
// character, as the protocol's markers do.
unsigned codePage936FormContains(std::string_view utf8, std::span<const std::string_view> needles);
bool codePage936FormContains(std::string_view utf8, std::string_view needle);

// Code page 936 to UTF-16 and to UTF-8: how the program's texts reach the rest of the system.
WideText codePage936ToWide(const Text& text);
std::string codePage936ToUtf8(const Text& text);

// UTF-16 to code page 936: how the rest of the system's texts enter the program.
Text wideToCodePage936(const WideText& wide);

}  // namespace veltrano

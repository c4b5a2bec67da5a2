#pragma once

#include <span>
#include <string_view>

#include "text/Text.h"

namespace veltrano {

// UTF-8 to code page 936 in one pass: a UTF-8 decoder that gives U+FFFD for each maximal
// ill-formed subpart, and a table of every code point's code page 936 bytes, filled once from the
// platform's own conversion. Code page 936 is stateless, so each character converts on its own
// exactly as inside a string.
Text utf8ToCodePage936ByTable(std::string_view text);

// Which of `needles` utf8ToCodePage936ByTable(text) contains (bit i for needles[i]), mostly
// without converting all of it.
unsigned codePage936FormContainsByTable(std::string_view text,
                                        std::span<const std::string_view> needles);

}  // namespace veltrano

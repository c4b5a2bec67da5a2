#pragma once

#include <string_view>

#include "text/Text.h"

namespace veltrano {

// The bytes before the first zero byte, or all of them when there is none.
Text messageText(const Bytes& bytes);
// The same bytes, not copied.
std::string_view messageTextView(const Bytes& bytes);

// Undoes %XX escapes byte by byte; with `convert` the result is then taken from UTF-8 to code
// page 936. "+" is left alone, an escape of value 0 yields nothing, a "%" with fewer than two bytes
// after it yields nothing, and a "%" followed by non-digits still consumes three bytes.
Text percentDecode(std::string_view text, bool convert);

// What the receiver examines: percentDecode(messageText(bytes), true).
Text decodeMessage(const Bytes& bytes);

}  // namespace veltrano

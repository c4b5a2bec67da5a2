#pragma once

#include <string>

namespace veltrano {

// Text in code page 936: a byte string that ends at its first zero byte, so it never holds one.
using Text = std::string;

// A counted byte sequence exactly as received; may hold zero bytes.
using Bytes = std::string;

// UTF-16 code units.
using WideText = std::u16string;

}  // namespace veltrano

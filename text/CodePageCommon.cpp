#include "text/CodePage.h"

#include <algorithm>

namespace veltrano {

Text utf8ToCodePage936(const Text& text) {
    // ASCII reads the same in UTF-8 and in code page 936.
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return text;
    return fromWide(toWide(text, kCodePageAnsi, false), kCodePage936, true);
}

WideText codePage936ToWide(const Text& text) { return toWide(text, kCodePage936, true); }

std::string codePage936ToUtf8(const Text& text) {
    return fromWide(codePage936ToWide(text), kCodePageUtf8, true);
}

Text wideToCodePage936(const WideText& wide) { return fromWide(wide, kCodePage936, true); }

}  // namespace veltrano

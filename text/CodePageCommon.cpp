#include "text/CodePage.h"
#include "text/Utf8To936Table.h"

#include <algorithm>

namespace veltrano {

Text utf8ToCodePage936(const Text& text) {
#ifdef _WIN32
    // ASCII reads the same in UTF-8 and in code page 936.
    const bool ascii = std::all_of(text.begin(), text.end(),
                                   [](char c) { return static_cast<unsigned char>(c) < 0x80; });
    if (ascii) return text;
    return fromWide(toWide(text, kCodePageAnsi, false), kCodePage936, true);
#else
    // The same bytes as converting through UTF-16 with ICU (a test holds them to it), many times
    // faster on the long pieces of a photo.
    return utf8ToCodePage936ByTable(text);
#endif
}

unsigned codePage936FormContains(std::string_view utf8, std::span<const std::string_view> needles) {
#ifdef _WIN32
    const Text converted = utf8ToCodePage936(Text(utf8));
    unsigned found = 0;
    for (std::size_t i = 0; i < needles.size(); ++i) {
        if (converted.find(needles[i]) != Text::npos) found |= 1u << i;
    }
    return found;
#else
    return codePage936FormContainsByTable(utf8, needles);
#endif
}

bool codePage936FormContains(std::string_view utf8, std::string_view needle) {
    return codePage936FormContains(utf8, std::span<const std::string_view>(&needle, 1)) != 0;
}

WideText codePage936ToWide(const Text& text) {
    return toWide(text, kCodePage936, true);
}

std::string codePage936ToUtf8(const Text& text) {
    return fromWide(codePage936ToWide(text), kCodePageUtf8, true);
}

Text wideToCodePage936(const WideText& wide) {
    return fromWide(wide, kCodePage936, true);
}

}  // namespace veltrano

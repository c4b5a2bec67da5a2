// Code-page conversion through the Windows API, with flags 0: invalid input becomes U+FFFD, and
// characters the target code page cannot hold become the system's default character.
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "text/CodePage.h"

namespace veltrano {

WideText toWide(const Text& text, unsigned codePage, bool useCodePage) {
    const UINT source = useCodePage ? codePage : CP_UTF8;
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int units = MultiByteToWideChar(source, 0, text.data(), length, nullptr, 0);
    if (units <= 0) return {};
    std::wstring buffer(static_cast<std::size_t>(units), L'\0');
    const int written = MultiByteToWideChar(source, 0, text.data(), length, buffer.data(), units);
    if (written <= 0) return {};
    return WideText(buffer.begin(), buffer.begin() + written);
}

Text fromWide(const WideText& wide, unsigned codePage, bool useCodePage) {
    const UINT target = useCodePage ? codePage : CP_ACP;
    if (wide.empty()) return {};
    const std::wstring source(wide.begin(), wide.end());
    const int length = static_cast<int>(source.size());
    const int bytes =
        WideCharToMultiByte(target, 0, source.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    Text text(static_cast<std::size_t>(bytes), '\0');
    const int written =
        WideCharToMultiByte(target, 0, source.data(), length, text.data(), bytes, nullptr, nullptr);
    if (written <= 0) return {};
    text.resize(static_cast<std::size_t>(written));
    return text.substr(0, text.find('\0'));
}

}  // namespace veltrano

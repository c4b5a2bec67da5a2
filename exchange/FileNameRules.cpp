#include "exchange/FileNameRules.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "text/CodePage.h"

namespace veltrano {
namespace {

char16_t asciiUpper(char16_t c) {
    return c >= u'a' && c <= u'z' ? char16_t(c - u'a' + u'A') : c;
}

bool isAsciiLetter(char16_t c) {
    return asciiUpper(c) >= u'A' && asciiUpper(c) <= u'Z';
}

bool isReservedDeviceName(const WideText& name) {
    // The device name is what stands before the first dot, trailing spaces ignored.
    WideText stem = name.substr(0, name.find(u'.'));
    while (!stem.empty() && stem.back() == u' ') stem.pop_back();
    std::transform(stem.begin(), stem.end(), stem.begin(), asciiUpper);
    constexpr std::array<std::u16string_view, 4> fixed = {u"CON", u"PRN", u"AUX", u"NUL"};
    if (std::find(fixed.begin(), fixed.end(), stem) != fixed.end()) return true;
    const bool numbered =
        stem.size() == 4 && (stem.starts_with(u"COM") || stem.starts_with(u"LPT"));
    return numbered && stem[3] >= u'0' && stem[3] <= u'9';
}

// A name in the file system's own encoding: UTF-16 on Windows, UTF-8 elsewhere.
std::optional<std::filesystem::path> asPath(const std::optional<WideText>& name) {
    if (!name) return std::nullopt;
#ifdef _WIN32
    return std::filesystem::path(std::wstring(name->begin(), name->end()));
#else
    return std::filesystem::path(fromWide(*name, kCodePageUtf8, true));
#endif
}

}  // namespace

std::optional<WideText> safeFileName(const WideText& name, NameRules rules) {
    WideText component = name.substr(name.find_last_of(u"/\\") + 1);
    if (component.size() >= 2 && isAsciiLetter(component[0]) && component[1] == u':') {
        component.erase(0, 2);
    }
    if (component.empty() || component == u"." || component == u"..") return std::nullopt;
    if (rules == NameRules::Windows) {
        if (component.find(u':') != WideText::npos) return std::nullopt;
        if (component.back() == u'.' || component.back() == u' ') return std::nullopt;
        if (isReservedDeviceName(component)) return std::nullopt;
    }
    return component;
}

std::filesystem::path nativePath(const Text& path) {
#ifdef _WIN32
    const WideText wide = codePage936ToWide(path);
    return std::filesystem::path(std::wstring(wide.begin(), wide.end()));
#else
    return std::filesystem::path(codePage936ToUtf8(path));
#endif
}

std::optional<std::filesystem::path> safeFileName(const Text& name, NameRules rules) {
    return asPath(safeFileName(codePage936ToWide(name), rules));
}

std::optional<std::filesystem::path> safeFileNameFromUtf8(const Text& utf8, NameRules rules) {
    return asPath(safeFileName(toWide(utf8, kCodePageUtf8, false), rules));
}

}  // namespace veltrano

// Any bytes through the decoding, the marker search and the file-name rules: no crash, no read
// past the input (the sanitizers watch), the marker search agrees with converting everything, and
// a name that passes the rules is one plain component.
#include <array>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "exchange/FileNameRules.h"
#include "exchange/Protocol.h"
#include "text/CodePage.h"
#include "text/PercentDecode.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

void checkPlainComponent(const veltrano::WideText& name, veltrano::NameRules rules) {
    check(!name.empty() && name != u"." && name != u"..");
    check(name.find_first_of(u"/\\") == veltrano::WideText::npos);
    if (rules == veltrano::NameRules::Windows) {
        check(name.find(u':') == veltrano::WideText::npos);
        check(name.back() != u'.' && name.back() != u' ');
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltrano;
    const Bytes message(reinterpret_cast<const char*>(data), size);
    const Text decoded = decodeMessage(message);
    check(decoded.find('\0') == Text::npos);

    const Text utf8 = percentDecode(messageTextView(message), false);
    constexpr std::array<std::string_view, 2> markers = {kStartOfFileMarker, kEndOfFileMarker};
    const unsigned expected = unsigned(textContains(decoded, kStartOfFileMarker)) |
                              unsigned(textContains(decoded, kEndOfFileMarker)) << 1;
    check(codePage936FormContains(utf8, markers) == expected);

    const Text name = replaceAll(decoded, kStartOfFileMarker, "");
    for (const NameRules rules : {NameRules::Posix, NameRules::Windows}) {
        if (const auto safe = safeFileName(codePage936ToWide(name), rules))
            checkPlainComponent(*safe, rules);
    }
    for (const auto& path :
         {safeFileName(name), safeFileNameFromUtf8(replaceAll(utf8, kStartOfFileMarker, ""))}) {
        if (path) {
            check(!path->has_parent_path() && !path->has_root_path() && path->filename() == *path);
        }
    }
    return 0;
}

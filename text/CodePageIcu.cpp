// Code-page conversion through ICU, matching what Windows' MultiByteToWideChar and
// WideCharToMultiByte do with flags 0: U+FFFD for each maximal ill-formed UTF-8 subpart, "?" for
// characters the target cannot hold, fallback mappings where Windows would use best-fit ones.
#include <unicode/ucnv.h>
#include <unicode/ustring.h>

#include <map>
#include <memory>
#include <string>

#include "text/CodePage.h"

namespace veltrano {
namespace {

struct ConverterCloser {
    void operator()(UConverter* converter) const { ucnv_close(converter); }
};
using Converter = std::unique_ptr<UConverter, ConverterCloser>;

// Off Windows the program's ANSI code page is 936: every text inside it is code page 936.
unsigned resolveCodePage(unsigned codePage) {
    return codePage == kCodePageAnsi ? kCodePage936 : codePage;
}

Converter openConverter(unsigned codePage) {
    // ICU's windows-936-2000 table is Microsoft's code page 936, user-defined area and 0x80/0xFF
    // included; the other names cover the remaining Windows code pages.
    const std::string names[] = {codePage == kCodePage936 ? std::string("windows-936-2000")
                                                          : "windows-" + std::to_string(codePage),
                                 "cp" + std::to_string(codePage)};
    for (const auto& name : names) {
        UErrorCode error = U_ZERO_ERROR;
        Converter converter(ucnv_open(name.c_str(), &error));
        if (U_SUCCESS(error) && converter) {
            error = U_ZERO_ERROR;
            ucnv_setSubstChars(converter.get(), "?", 1, &error);
            ucnv_setFallback(converter.get(), true);
            return converter;
        }
    }
    return nullptr;
}

// One converter per code page and thread: opening one costs far more than a short conversion.
UConverter* converterFor(unsigned codePage) {
    thread_local std::map<unsigned, Converter> converters;
    auto found = converters.find(codePage);
    if (found == converters.end())
        found = converters.emplace(codePage, openConverter(codePage)).first;
    if (found->second) ucnv_reset(found->second.get());
    return found->second.get();
}

WideText utf8ToWide(const Text& text) {
    WideText wide(text.size() + 1, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode error = U_ZERO_ERROR;
        int32_t length = 0;
        u_strFromUTF8WithSub(wide.data(), static_cast<int32_t>(wide.size()), &length, text.data(),
                             static_cast<int32_t>(text.size()), 0xFFFD, nullptr, &error);
        if (error == U_BUFFER_OVERFLOW_ERROR) {
            wide.assign(static_cast<std::size_t>(length) + 1, u'\0');
            continue;
        }
        if (U_FAILURE(error)) return {};
        wide.resize(static_cast<std::size_t>(length));
        return wide;
    }
    return {};
}

Text wideToUtf8(const WideText& wide) {
    std::string bytes(wide.size() * 3 + 1, '\0');
    UErrorCode error = U_ZERO_ERROR;
    int32_t length = 0;
    u_strToUTF8WithSub(bytes.data(), static_cast<int32_t>(bytes.size()), &length, wide.data(),
                       static_cast<int32_t>(wide.size()), 0xFFFD, nullptr, &error);
    if (U_FAILURE(error)) return {};
    bytes.resize(static_cast<std::size_t>(length));
    return bytes;
}

}  // namespace

WideText toWide(const Text& text, unsigned codePage, bool useCodePage) {
    const unsigned source = resolveCodePage(useCodePage ? codePage : kCodePageUtf8);
    if (text.empty()) return {};
    if (source == kCodePageUtf8) return utf8ToWide(text);
    UConverter* converter = converterFor(source);
    if (!converter) return {};
    WideText wide(text.size() + 1, u'\0');
    for (int attempt = 0; attempt < 2; ++attempt) {
        UErrorCode error = U_ZERO_ERROR;
        const int32_t length =
            ucnv_toUChars(converter, wide.data(), static_cast<int32_t>(wide.size()), text.data(),
                          static_cast<int32_t>(text.size()), &error);
        if (error == U_BUFFER_OVERFLOW_ERROR) {
            wide.assign(static_cast<std::size_t>(length) + 1, u'\0');
            ucnv_reset(converter);
            continue;
        }
        if (U_FAILURE(error)) return {};
        wide.resize(static_cast<std::size_t>(length));
        return wide;
    }
    return {};
}

Text fromWide(const WideText& wide, unsigned codePage, bool useCodePage) {
    const unsigned target = resolveCodePage(useCodePage ? codePage : kCodePageAnsi);
    Text text;
    if (wide.empty()) return text;
    if (target == kCodePageUtf8) {
        text = wideToUtf8(wide);
    } else if (UConverter* converter = converterFor(target)) {
        text.assign(wide.size() * 2 + 1, '\0');
        for (int attempt = 0; attempt < 2; ++attempt) {
            UErrorCode error = U_ZERO_ERROR;
            const int32_t length =
                ucnv_fromUChars(converter, text.data(), static_cast<int32_t>(text.size()),
                                wide.data(), static_cast<int32_t>(wide.size()), &error);
            if (error == U_BUFFER_OVERFLOW_ERROR) {
                text.assign(static_cast<std::size_t>(length) + 1, '\0');
                ucnv_reset(converter);
                continue;
            }
            if (U_FAILURE(error)) return {};
            text.resize(static_cast<std::size_t>(length));
            break;
        }
    }
    return text.substr(0, text.find('\0'));
}

}  // namespace veltrano

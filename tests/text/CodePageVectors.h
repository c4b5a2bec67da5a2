#pragma once

#include <array>
#include <string_view>

namespace veltrano::test {

// UTF-8 input and the code page 936 bytes the program makes of it. Both conversion back ends,
// ICU and the Windows API, are held to this one table; where the Windows API (as Wine has it)
// gives other bytes, they stand in `onWindows`.
struct CodePageVector {
    std::string_view name;
    std::string_view utf8;
    std::string_view cp936;
    std::string_view onWindows = {};

    std::string_view expected() const {
#ifdef _WIN32
        if (!onWindows.empty()) return onWindows;
#endif
        return cp936;
    }
};

inline constexpr std::array kUtf8To936Vectors = {
    CodePageVector{"ASCII", "photo_01.jpg", "photo_01.jpg"},
    CodePageVector{"Chinese name", "\xE5\xBC\xA0\xE4\xB8\x89", "\xD5\xC5\xC8\xFD"},
    CodePageVector{"second byte is a backslash", "\xE9\x8C\xA6", "\xE5\x5C"},
    CodePageVector{"second byte is a bar", "\xE8\xB6\x9E", "\xDA\x7C"},
    CodePageVector{"Latin letter", "caf\xC3\xA9", "caf\xA8\xA6"},
    CodePageVector{"euro sign is 0x80", "\xE2\x82\xAC", "\x80"},
    CodePageVector{"U+F8F5 is 0xFF", "\xEF\xA3\xB5", "\xFF"},
    CodePageVector{"user-defined area", "\xEE\x80\x80", "\xAA\xA1"},
    CodePageVector{"ideographic space", "\xE3\x80\x80", "\xA1\xA1"},
    CodePageVector{"no 936 form (Thai)", "a\xE0\xB8\x81z", "a?z"},
    // Windows writes "?" for each half of the surrogate pair.
    CodePageVector{"no 936 form (emoji)", "a\xF0\x9F\x98\x80z", "a?z", "a??z"},
    CodePageVector{"lone continuation byte", "a\x80z", "a?z"},
    CodePageVector{"0xFF byte", "a\xFFz", "a?z"},
    CodePageVector{"truncated sequence", "a\xE5\xBCz", "a?z"},
    CodePageVector{"truncated at the end", "a\xE5\xBC", "a?"},
    CodePageVector{"overlong encoding", "a\xC0\xAFz", "a??z"},
    // ICU gives one U+FFFD for each maximal ill-formed subpart; Wine's conversion gives fewer.
    CodePageVector{"encoded surrogate", "a\xED\xA0\x80z", "a???z", "a??z"},
    CodePageVector{"beyond U+10FFFF", "a\xF4\x90\x80\x80z", "a????z", "a???z"},
};

}  // namespace veltrano::test

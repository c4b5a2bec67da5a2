#include <gtest/gtest.h>

#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "tests/text/CodePageVectors.h"
#include "text/CodePage.h"

namespace veltrano {
namespace {

TEST(CodePage, Utf8To936MatchesTheSharedTable) {
    for (const auto& vector : test::kUtf8To936Vectors) {
        SCOPED_TRACE(std::string(vector.name));
        EXPECT_EQ(utf8ToCodePage936(std::string(vector.utf8)), std::string(vector.expected()));
    }
}

TEST(CodePage, ReadsCodePage936Back) {
    EXPECT_EQ(codePage936ToWide("\xD5\xC5\xC8\xFD.jpg"), u"\u5F20\u4E09.jpg");
    EXPECT_EQ(codePage936ToWide("\xE5\x5C"), u"\u9326");
    EXPECT_EQ(codePage936ToWide("\x80\xFF"), u"\u20AC\uF8F5");
    EXPECT_EQ(codePage936ToUtf8("\xD5\xC5\xC8\xFD"), "\xE5\xBC\xA0\xE4\xB8\x89");
    EXPECT_EQ(wideToCodePage936(u"\u5F20\u4E09"), "\xD5\xC5\xC8\xFD");
}

TEST(CodePage, EmptyInEmptyOutAndZeroEndsTheText) {
    EXPECT_EQ(toWide("", kCodePage936, true), u"");
    EXPECT_EQ(fromWide(u"", kCodePage936, true), "");
    EXPECT_EQ(utf8ToCodePage936(""), "");
    EXPECT_EQ(fromWide(std::u16string(u"ab\0cd", 5), kCodePage936, true), "ab");
}

TEST(CodePage, DefaultCodePagesAreUtf8InAndAnsiOut) {
    EXPECT_EQ(toWide("\xE5\xBC\xA0", 936, false), u"\u5F20");
    EXPECT_EQ(toWide("\xD5\xC5", 936, true), u"\u5F20");
#ifndef _WIN32
    // Off Windows the program's ANSI code page is 936.
    EXPECT_EQ(fromWide(u"\u5F20", 65001, false), "\xD5\xC5");
#endif
    EXPECT_EQ(fromWide(u"\u5F20", 65001, true), "\xE5\xBC\xA0");
}

#ifndef _WIN32
// The one-pass conversion must give exactly what the two passes through UTF-16 give.
TEST(CodePage, OnePassConversionMatchesTheTwoPasses) {
    const auto twoPasses = [](const std::string& utf8) {
        return fromWide(toWide(utf8, kCodePageAnsi, false), kCodePage936, true);
    };
    std::string everyCharacter;
    for (char32_t c = 1; c <= 0x10FFFF; c += (c < 0x10000 ? 1 : 97)) {
        if (c >= 0xD800 && c <= 0xDFFF) continue;
        const std::u32string one(1, c);
        std::string utf8;
        if (c < 0x80) {
            utf8 = char(c);
        } else if (c < 0x800) {
            utf8 = {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        } else if (c < 0x10000) {
            utf8 = {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        } else {
            utf8 = {char(0xF0 | c >> 18), char(0x80 | (c >> 12 & 0x3F)),
                    char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
        }
        everyCharacter += utf8;
    }
    EXPECT_EQ(utf8ToCodePage936(everyCharacter), twoPasses(everyCharacter));

    // Short strings from the bytes where UTF-8's rules change, to reach every kind of bad sequence.
    const unsigned char edges[] = {0x41, 0x7C, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0, 0xBF,
                                   0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1, 0xEC, 0xED, 0xEE,
                                   0xEF, 0xF0, 0xF1, 0xF3, 0xF4, 0xF5, 0xFF};
    std::mt19937 random(1234);
    for (int round = 0; round < 20000; ++round) {
        std::string input(random() % 12, '\0');
        for (auto& byte : input) byte = char(edges[random() % sizeof edges]);
        ASSERT_EQ(utf8ToCodePage936(input), twoPasses(input)) << ::testing::PrintToString(input);
    }
}
#endif

// Finding a marker without converting everything must agree with converting everything.
TEST(CodePage, FindsMarkersInTheConvertedFormExactly) {
    // Pieces that can make up a marker after conversion: the marker letters, "|", characters whose
    // code page 936 trail byte is "E", "S" or "|", characters that fall back to "|", "T" or "D",
    // invisible characters that vanish, and bytes that are not UTF-8.
    const std::vector<std::string> pieces = {
        "S",
        "T",
        "A",
        "E",
        "N",
        "D",
        "|",
        "||",
        "STAT",
        "END",
        "x",
        "\xE7\x99\x8A",
        "\xE7\x99\x9D",
        "\xE8\xB6\x9E",  // trail bytes E, S and |
        "\xC2\xA6",
        "\xC3\x9E",
        "\xC3\x90",  // fall back to |, T and D
        "\xE2\x80\x8B",
        "\xC2\xAD",  // vanish
        "\x80",
        "\xE5\xBC",
        "\xF0\x9F\x98\x80",
        "\xFF",
        "\xC2",
    };
    const std::vector<std::string_view> needles = {"STAT||", "END||", "||", "AT"};
    std::mt19937 random(99);
    int found = 0;
    for (int round = 0; round < 30000; ++round) {
        std::string utf8;
        for (int n = random() % 10; n > 0; --n) utf8 += pieces[random() % pieces.size()];
        const std::string converted = utf8ToCodePage936(utf8);
        unsigned expectedBits = 0;
        for (std::size_t i = 0; i < needles.size(); ++i) {
            const bool expected = converted.find(needles[i]) != std::string::npos;
            expectedBits |= unsigned(expected) << i;
            found += expected;
            ASSERT_EQ(codePage936FormContains(utf8, needles[i]), expected)
                << ::testing::PrintToString(utf8) << " " << needles[i];
        }
        ASSERT_EQ(codePage936FormContains(utf8, needles), expectedBits)
            << ::testing::PrintToString(utf8);
    }
    EXPECT_GT(found, 1000);  // the pieces do make markers often
}

}  // namespace
}  // namespace veltrano

#include <gtest/gtest.h>

#include <string>

#include "tests/text/CodePageVectors.h"
#include "text/CodePage.h"

namespace veltrano {
namespace {

TEST(CodePage, Utf8To936MatchesTheSharedTable) {
    for (const auto& vector : test::kUtf8To936Vectors) {
        SCOPED_TRACE(std::string(vector.name));
        EXPECT_EQ(utf8ToCodePage936(std::string(vector.utf8)), std::string(vector.cp936));
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

}  // namespace
}  // namespace veltrano

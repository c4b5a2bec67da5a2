#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "text/PercentDecode.h"

namespace veltrano {
namespace {

struct DecodeCase {
    const char* name;
    std::string input;
    bool convert;
    std::string expected;
};

TEST(PercentDecode, DecodesEscapesByteByByte) {
    const std::vector<DecodeCase> cases = {
        {"escapes and plain bytes", "%41%62c", false, "Abc"},
        {"lower-case digits", "%4a", false, "J"},
        {"upper-case digits", "%4A", false, "J"},
        {"UTF-8 kept without conversion", "%E5%BC%A0", false, "\xE5\xBC\xA0"},
        {"UTF-8 converted to 936", "%E5%BC%A0", true, "\xD5\xC5"},
        {"a Chinese file name", "%E5%BC%A0%E4%B8%89.jpg", true, "\xD5\xC5\xC8\xFD.jpg"},
        {"an escaped zero yields nothing", "a%00b", false, "ab"},
        {"plus stays plus", "a+b", true, "a+b"},
        {"plain ASCII unchanged", "plain text 123", false, "plain text 123"},
        {"plain ASCII converted unchanged", "plain text 123", true, "plain text 123"},
        {"raw high bytes copied", "x\xE5\xBC\xA0y", false, "x\xE5\xBC\xA0y"},
        {"raw UTF-8 converted", "x\xE5\xBC\xA0y", true, "x\xD5\xC5y"},
        {"two non-digits give 16*-2-2", "%zz", false, "\xDE"},
        {"one non-digit", "%G1", false, "\xE1"},
        {"escape consumes exactly three bytes", "%414", false, "A4"},
        {"percent as the last byte", "ab%", false, "ab"},
        {"percent with one byte after it", "ab%4", false, "ab"},
        {"empty", "", true, ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(percentDecode(c.input, c.convert), c.expected);
    }
}

TEST(PercentDecode, SplittingBetweenEscapesGivesTheSameBytes) {
    const std::string input = "STAT||%E5%BC%A0%e4%b8%89+x%00y%zz.jpg";
    const std::string whole = percentDecode(input, false);
    for (std::size_t cut = 0; cut <= input.size(); ++cut) {
        const bool insideEscape =
            (cut >= 1 && input[cut - 1] == '%') || (cut >= 2 && input[cut - 2] == '%');
        if (insideEscape) continue;
        SCOPED_TRACE(cut);
        EXPECT_EQ(
            percentDecode(input.substr(0, cut), false) + percentDecode(input.substr(cut), false),
            whole);
    }
}

TEST(DecodeMessage, ExaminesOnlyTheBytesBeforeTheFirstZero) {
    const std::string message("STAT||%E5%BC%A0\0STAT||junk", 26);
    EXPECT_EQ(messageText(message), "STAT||%E5%BC%A0");
    EXPECT_EQ(decodeMessage(message), "STAT||\xD5\xC5");
    EXPECT_EQ(decodeMessage(std::string("\0abc", 4)), "");
}

}  // namespace
}  // namespace veltrano

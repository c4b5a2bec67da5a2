#include <gtest/gtest.h>

#include <array>

#include "shell/RosterText.h"
#include "text/CodePage.h"

namespace veltrano {
namespace {

TEST(RosterText, EveryRowBreakBecomesCrLf) {
    struct Case {
        const char* name;
        Text rows;
        Text expected;
    };
    const std::array<Case, 7> cases = {{
        {"line feeds", "a\tb\nc\td\n", "a\tb\r\nc\td\r\n"},
        {"already CR LF", "a\r\nb\r\n", "a\r\nb\r\n"},
        {"lone CR", "a\rb", "a\r\nb"},
        {"mixed", "a\r\n\nb\r\r\n", "a\r\n\r\nb\r\n\r\n"},
        {"no break", "1班\t张三", "1班\t张三"},
        {"only breaks", "\n\n", "\r\n\r\n"},
        {"empty", "", ""},
    }};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rosterWithCrLf(c.rows), c.expected);
    }
}

TEST(RosterText, LeavesCodePage936CharactersWhole) {
    // Trail bytes of 936 characters include '\\' and '|' but never CR or LF.
    const Text rows = utf8ToCodePage936("1班\t张三\t表\n2班\t李四\t誉\n");
    EXPECT_EQ(rosterWithCrLf(rows), utf8ToCodePage936("1班\t张三\t表\r\n2班\t李四\t誉\r\n"));
}

}  // namespace
}  // namespace veltrano

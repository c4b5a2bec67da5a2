#include <gtest/gtest.h>

#include <array>

#include "shell/PhoneNotices.h"
#include "text/CodePage.h"

namespace veltrano {
namespace {

TEST(PhoneNotices, CountsTheRowsThatHoldMoreThanBlanks) {
    struct Case {
        const char* name;
        const char* roster;  // UTF-8, converted as the box's text is
        std::size_t rows;
    };
    const std::array<Case, 7> cases = {{
        {"one row without a line break", "1班\t张三", 1},
        {"rows as a spreadsheet copies them", "1班\t张三\r\n2班\t李四\r\n", 2},
        {"the last row without its line break", "1班\t张三\r\n2班\t李四", 2},
        {"line feeds alone", "1班\t张三\n2班\t李四\n3班\t王五\n", 3},
        {"blank and empty rows between", "1班\t张三\r\n\t\t\t\r\n\r\n  \r\n2班\t李四\r\n", 2},
        {"only blanks", " \t\r\n\r\n", 0},
        {"a lone carriage return ends a row", "1班\r2班", 2},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(rosterRowCount(utf8ToCodePage936(c.roster)), c.rows);
    }
}

}  // namespace
}  // namespace veltrano

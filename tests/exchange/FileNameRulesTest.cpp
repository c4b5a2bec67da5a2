#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "exchange/FileNameRules.h"
#include "tests/support/TempDir.h"

namespace veltrano {
namespace {

struct NameCase {
    const char* name;
    std::u16string announced;
    std::optional<std::u16string> posix;
    std::optional<std::u16string> windows;
};

TEST(FileNameRules, ReduceToOnePlainComponent) {
    const std::vector<NameCase> cases = {
        {"plain", u"a.jpg", u"a.jpg", u"a.jpg"},
        {"Chinese", u"\u5F20\u4E09.jpg", u"\u5F20\u4E09.jpg", u"\u5F20\u4E09.jpg"},
        {"backslash-second-byte character", u"\u9326.jpg", u"\u9326.jpg", u"\u9326.jpg"},
        {"last component after slashes", u"a/b/c.jpg", u"c.jpg", u"c.jpg"},
        {"last component after backslashes", u"a\\b\\c.jpg", u"c.jpg", u"c.jpg"},
        {"drive prefix", u"D:photo.jpg", u"photo.jpg", u"photo.jpg"},
        {"drive alone", u"D:", std::nullopt, std::nullopt},
        {"dot-dot", u"..", std::nullopt, std::nullopt},
        {"dot-dot after a path", u"a/..", std::nullopt, std::nullopt},
        {"colon inside", u"ab:c.jpg", u"ab:c.jpg", std::nullopt},
        {"trailing dot", u"a.", u"a.", std::nullopt},
        {"trailing space", u"a ", u"a ", std::nullopt},
        {"device name", u"CON", u"CON", std::nullopt},
        {"device name any case with extension", u"nul.tar.gz", u"nul.tar.gz", std::nullopt},
        {"numbered device", u"COM1.jpg", u"COM1.jpg", std::nullopt},
        {"numbered device zero", u"lpt0", u"lpt0", std::nullopt},
        {"device name with spaces before the dot", u"AUX .txt", u"AUX .txt", std::nullopt},
        {"longer than a device name", u"CONSOLE.jpg", u"CONSOLE.jpg", u"CONSOLE.jpg"},
        {"two-digit port", u"COM10", u"COM10", u"COM10"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(safeFileName(c.announced, NameRules::Posix), c.posix);
        EXPECT_EQ(safeFileName(c.announced, NameRules::Windows), c.windows);
    }
}

TEST(FileNameRules, CodePage936NamesAreSplitOnCharactersNotBytes) {
    // "錦" is E5 5C in code page 936: its second byte must not cut the name.
    const auto name = safeFileName(std::string("\xE5\x5C.jpg"), NameRules::Posix);
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ(*name, test::utf8Path("\xE9\x8C\xA6.jpg"));
}

#ifdef _WIN32
TEST(FileNameRules, TheDefaultDriveRootJoinsWithOneBackslash) {
    // "D:\" is where files go by default; a name is joined to it with the system's separator.
    const auto name = safeFileName(std::string("photos/a.jpg"));
    ASSERT_TRUE(name.has_value());
    EXPECT_EQ((nativePath("D:\\") / *name).wstring(), L"D:\\a.jpg");
    // "D:\照片" in code page 936.
    EXPECT_EQ((nativePath("D:\\\xD5\xD5\xC6\xAC") / *name).wstring(), L"D:\\\u7167\u7247\\a.jpg");
}
#endif

}  // namespace
}  // namespace veltrano

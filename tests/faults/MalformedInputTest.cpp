#include <gtest/gtest.h>

#include <map>
#include <optional>

#include "tests/support/LoopbackReceiver.h"

namespace veltrano {
namespace {

TEST(MalformedInput, OddNamesAreStoredOrRefusedAndTheNextFileArrives) {
    struct MalformedCase {
        const char* name;
        QByteArray announcement;
        std::optional<std::string> storedAs;  // nothing: refused, and told
        std::string contentBefore = {};       // bytes of the announcement taken as content
    };
    const std::vector<MalformedCase> cases = {
        {"percent at the very end", "STAT||a.jpg%", "a.jpg"},
        {"percent and one byte at the end", "STAT||b.jpg%4", "b.jpg"},
        // On disk a byte that is not UTF-8 becomes U+FFFD, the replacement character.
        {"escape of non-digits", "STAT||c%zz.jpg", "c\xEF\xBF\xBD.jpg"},
        {"control characters", "STAT||d%01%1F%7F.jpg", "d\x01\x1F\x7F.jpg"},
        {"a line break", "STAT||e%0D%0A.jpg", "e\r\n.jpg"},
        {"invalid UTF-8", "STAT||f%FF%C0%AF%ED%A0%80.jpg",
         "f\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD\xEF\xBF\xBD.jpg"},
        // A name is percent-encoded ASCII: the first other byte begins the file's content.
        {"raw bytes that are not UTF-8", "STAT||g\xFF\xFE.jpg", "g", "\xFF\xFE.jpg"},
        {"a name of 10 000 bytes", "STAT||" + QByteArray(10000, 'n'), std::nullopt},
        {"only separators", "STAT||%2F%5C%2F", std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::LoopbackReceiver receiver;
        auto phone = receiver.connectPhone();
        receiver.send(*phone, c.announcement);
        receiver.send(*phone, "content");
        receiver.send(*phone, "STAT||next.jpg");
        receiver.send(*phone, "next");
        receiver.files.close(receiver.exchange.openFile());

        std::map<std::string, std::string> expected = {{"next.jpg", "next"}};
        if (c.storedAs) expected[*c.storedAs] = c.contentBefore + "content";
        EXPECT_EQ(test::filesIn(receiver.inbox.path()), expected);
        EXPECT_EQ(receiver.problems.size(), c.storedAs ? 0u : 1u);
        EXPECT_EQ(receiver.exchange.receivedCount(), 2);
    }
}

}  // namespace
}  // namespace veltrano

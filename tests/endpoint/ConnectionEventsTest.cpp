#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "endpoint/ConnectionEvents.h"

namespace veltrano {
namespace {

TEST(ConnectionEvents, TheLeastNeededIsTheLongestSilentThatNeverAnnouncedAFile) {
    using namespace std::string_literals;
    struct Case {
        const char* name;
        // "+a" a connects, "-a" a departs, "a<bytes" a sends bytes (each a read, then a pause).
        std::vector<std::string> script;
        const char* expected;  // nullptr: none
    };
    const std::vector<Case> cases = {
        {"nobody connected", {}, nullptr},
        {"silent since it came", {"+a", "+b", "+c"}, "a"},
        {"sending content is not being silent", {"+a", "+b", "a<\xFF\xD8 photo"}, "b"},
        {"one that announced stays though silent longer",
         {"+a", "+b", "a<STAT||x.jpg", "b<hello"},
         "b"},
        {"a marker after content announces too", {"+a", "+b", "a<\xFF\0STAT||z.jpg"s}, "b"},
        {"when every one announced, the longest silent",
         {"+a", "+b", "a<STAT||x.jpg", "b<STAT||y.jpg", "a<\xFF\xD8"},
         "b"},
        {"a departed one is not chosen", {"+a", "+b", "-a"}, "b"},
        {"lower-case is no announcement", {"+a", "+b", "a<stat||x.jpg"}, "b"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConnectionEvents events;
        std::map<std::string, ConnectionId> ids;
        std::map<ConnectionId, std::string> names;
        for (const std::string& step : c.script) {
            const std::string who =
                step[0] == '+' || step[0] == '-' ? step.substr(1, 1) : step.substr(0, 1);
            if (step[0] == '+') {
                ids[who] = events.arrive(who + ":1");
                names[ids[who]] = who;
            } else if (step[0] == '-') {
                events.depart(ids.at(who));
            } else {
                events.receive(ids.at(who), step.substr(2));
                events.flushHeld(ids.at(who));
            }
        }
        const auto chosen = events.leastNeeded();
        if (c.expected == nullptr) {
            EXPECT_FALSE(chosen);
        } else {
            ASSERT_TRUE(chosen);
            EXPECT_EQ(names[*chosen], c.expected);
        }
    }
}

TEST(ConnectionEvents, CountsTheConnectionsItHolds) {
    ConnectionEvents events;
    const ConnectionId a = events.arrive("a:1");
    events.arrive("b:1");
    EXPECT_EQ(events.size(), 2u);
    events.depart(a);
    events.depart(a);
    EXPECT_EQ(events.size(), 1u);
}

}  // namespace
}  // namespace veltrano

#include <gtest/gtest.h>

#include <vector>

#include "exchange/RosterPush.h"
#include "tests/support/FakeEndpoint.h"
#include "tests/support/RecordingFileStore.h"

namespace veltrano {
namespace {

struct RosterFixture {
    test::FakeEndpoint endpoint;
    test::RecordingFileStore files;
    ExchangeState state{endpoint, files, {}};
    std::vector<Text> shown;
    ShowMessage show = [this](const Text& text) { shown.push_back(text); };

    void connect(const Text& address) {
        endpoint.nextAddress = address;
        state.onClientArrived();
    }
};

TEST(RosterPush, RefusesAnEmptyRosterBeforeAMissingPhone) {
    RosterFixture f;
    EXPECT_EQ(sendRoster("", f.state, f.endpoint, f.show), RosterPushResult::Refused);
    EXPECT_EQ(sendRoster("1\tA", f.state, f.endpoint, f.show), RosterPushResult::Refused);
    ASSERT_EQ(f.shown.size(), 2u);
    EXPECT_EQ(f.shown[0], emptyRosterMessage());
    EXPECT_EQ(f.shown[1], phoneNotConnectedMessage());
    EXPECT_TRUE(f.endpoint.sent.empty());
    // The refusals are the program's own code page 936 texts.
    EXPECT_EQ(phoneNotConnectedMessage(), "\xCA\xD6\xBB\xFA\xCE\xB4\xC1\xAC\xBD\xD3\xA3\xA1");
}

TEST(RosterPush, SendsTheRosterUnchangedToTheLastClient) {
    RosterFixture f;
    f.connect("10.0.0.5:4000");
    f.connect("10.0.0.6:4001");
    const Text roster = "1\xB0\xE0\t\xD5\xC5\xC8\xFD\r\n2\xB0\xE0\t \r\n";
    EXPECT_EQ(sendRoster(roster, f.state, f.endpoint, f.show), RosterPushResult::Sent);
    EXPECT_EQ(sendRoster(" ", f.state, f.endpoint, f.show), RosterPushResult::Sent);
    EXPECT_TRUE(f.shown.empty());
    ASSERT_EQ(f.endpoint.sent.size(), 2u);
    EXPECT_EQ(f.endpoint.sent[0].first, "10.0.0.6:4001");
    EXPECT_EQ(f.endpoint.sent[0].second, "STAT||" + roster + "||END");
    EXPECT_EQ(f.endpoint.sent[1].second, "STAT|| ||END");
}

TEST(RosterPush, TellsTheCallerWhenThePhoneHasGone) {
    // A push to a phone that had disconnected was dropped in silence, as if it had gone out.
    RosterFixture f;
    f.connect("10.0.0.5:4000");
    f.endpoint.connected = false;
    EXPECT_EQ(sendRoster("1\tA", f.state, f.endpoint, f.show), RosterPushResult::PhoneGone);
    EXPECT_TRUE(f.endpoint.sent.empty());
    EXPECT_TRUE(f.shown.empty());
}

}  // namespace
}  // namespace veltrano

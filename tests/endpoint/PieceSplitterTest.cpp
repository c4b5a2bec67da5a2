#include <gtest/gtest.h>

#include <map>
#include <random>
#include <string>
#include <vector>

#include "endpoint/ConnectionEvents.h"
#include "exchange/ExchangeState.h"
#include "tests/support/FakeEndpoint.h"
#include "tests/support/RecordingFileStore.h"

namespace veltrano {
namespace {

using Files = std::map<std::string, std::string>;
using Reads = std::vector<Bytes>;

// The shared part of every endpoint, fed by the test as a socket would feed it.
class ScriptedEndpoint final : public Endpoint {
public:
    void setListener(EndpointListener* listener) override { events.setListener(listener); }
    Text takeClientAddress() override { return events.takeClientAddress(); }
    Bytes takeData() override { return events.takeData(); }
    ConnectionId eventConnection() const override { return events.eventConnection(); }
    bool sendData(const Text&, const Bytes&) override { return false; }

    ConnectionEvents events;
};

struct Outcome {
    Files files;
    std::int32_t count;
    std::size_t problems;
    bool operator==(const Outcome&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Outcome& outcome) {
    out << outcome.count << " counted, " << outcome.problems << " refused, files:";
    for (const auto& [name, bytes] : outcome.files) {
        out << " \"" << name << "\" (" << bytes.size() << " bytes)";
    }
    return out;
}

// One connection whose stream arrives in `reads`; an idle pause after each read when `pauses`.
Outcome receiveThroughSplitter(const Reads& reads, bool pauses) {
    test::RecordingFileStore store;
    ScriptedEndpoint endpoint;
    std::size_t problems = 0;
    ExchangeState state(endpoint, store,
                        {[] { return Text("inbox"); }, {}, [&](const auto&) { ++problems; }});
    const ConnectionId phone = endpoint.events.arrive("127.0.0.1:5000");
    for (const Bytes& read : reads) {
        endpoint.events.receive(phone, read);
        if (pauses) endpoint.events.flushHeld(phone);
    }
    endpoint.events.depart(phone);
    return {store.files, state.receivedCount(), problems};
}

// The receiver handed each of the phone's writes as one message, as when every piece had a read
// of its own.
Outcome receiveWholePieces(const Reads& pieces) {
    test::RecordingFileStore store;
    test::FakeEndpoint endpoint;
    std::size_t problems = 0;
    ExchangeState state(endpoint, store,
                        {[] { return Text("inbox"); }, {}, [&](const auto&) { ++problems; }});
    for (const Bytes& piece : pieces) {
        endpoint.nextData = piece;
        state.onDataArrived();
    }
    return {store.files, state.receivedCount(), problems};
}

Bytes joined(const Reads& pieces) {
    Bytes all;
    for (const Bytes& piece : pieces) all += piece;
    return all;
}

// The stream cut before each position in `cuts` (ascending).
Reads cutAt(const Bytes& stream, const std::vector<std::size_t>& cuts) {
    Reads reads;
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        reads.push_back(stream.substr(from, cut - from));
        from = cut;
    }
    reads.push_back(stream.substr(from));
    return reads;
}

const Bytes kJpegHead("\xFF\xD8\xFF\xE0\x00\x10JFIF\x00", 11);

// What a phone writes, one entry per write. Content starts as photos do, with a byte that is no
// printable ASCII, so nothing but the network's cuts decides where a name ends.
struct StreamCase {
    const char* name;
    Reads writes;
    Files files;
    std::int32_t count;
    std::size_t problems = 0;
};

std::vector<StreamCase> streamCases() {
    const Bytes photoA = kJpegHead + Bytes("a|b||cSTAT|ENDx\0y", 17) + "\xFF\xD9";
    const Bytes photoB = kJpegHead + "second";
    Bytes barred = kJpegHead;
    while (barred.size() < 300) barred += "|x||ySTA|END|ND|||";
    return {
        {"bars all over content longer than the search's blocks",
         {"STAT||a.jpg", barred, "END||", "STAT||b.jpg", barred + "END", "END||"},
         {{"a.jpg", barred}, {"b.jpg", barred + "END"}},
         2},
        {"two files",
         {"STAT||a.jpg", photoA, "END||", "STAT||b.jpg", photoB, "END||"},
         {{"a.jpg", photoA}, {"b.jpg", photoB}},
         2},
        {"a percent-encoded name followed at once by the photo",
         {"STAT||%E5%BC%A0%20%2B1.jpg" + photoA, "END||"},
         {{"\xE5\xBC\xA0 +1.jpg", photoA}},
         1},
        {"an empty file between two",
         {"STAT||a.jpg", photoA, "END||", "STAT||empty.jpg", "END||", "STAT||b.jpg", photoB},
         {{"a.jpg", photoA}, {"empty.jpg", ""}, {"b.jpg", photoB}},
         3},
        {"content before any announcement goes nowhere",
         {"\x01 stray", "STAT||a.jpg", photoA},
         {{"a.jpg", photoA}},
         1},
        {"a name of separators only is refused and its content goes nowhere",
         {"STAT||%2F%5C", photoB, "END||", "STAT||b.jpg", photoB},
         {{"b.jpg", photoB}},
         2,
         1},
        {"a name longer than any file system takes is refused once",
         {"STAT||" + Bytes(5000, 'n'), photoA, "END||", "STAT||b.jpg", photoB},
         {{"b.jpg", photoB}},
         2,
         1},
    };
}

TEST(PieceSplitter, EveryWayOfCuttingTheStreamGivesTheSameFiles) {
    std::mt19937 random(12);
    for (const StreamCase& c : streamCases()) {
        SCOPED_TRACE(c.name);
        const Bytes stream = joined(c.writes);
        const Outcome expected{c.files, c.count, c.problems};
        ASSERT_EQ(receiveThroughSplitter({stream}, false), expected) << "all in one read";

        std::vector<std::size_t> everyByte(stream.size() - 1);
        for (std::size_t i = 0; i < everyByte.size(); ++i) everyByte[i] = i + 1;
        ASSERT_EQ(receiveThroughSplitter(cutAt(stream, everyByte), false), expected)
            << "one byte per read";

        std::vector<std::vector<std::size_t>> cuttings;
        if (stream.size() <= 400) {
            for (std::size_t cut = 1; cut < stream.size(); ++cut) cuttings.push_back({cut});
        } else {
            for (int round = 0; round < 400; ++round) {
                std::vector<std::size_t> cuts(1 + random() % 4);
                for (auto& cut : cuts) cut = 1 + random() % (stream.size() - 1);
                std::sort(cuts.begin(), cuts.end());
                cuts.erase(std::unique(cuts.begin(), cuts.end()), cuts.end());
                cuttings.push_back(cuts);
            }
        }
        for (const auto& cuts : cuttings) {
            const Outcome got = receiveThroughSplitter(cutAt(stream, cuts), false);
            ASSERT_EQ(got, expected) << "cut before byte " << cuts.front() << " of "
                                     << stream.size() << " (" << cuts.size() << " cuts)";
        }
    }
}

// A phone whose writes each arrive in a read of their own, with its pauses between them, is
// handled as when every read was taken as one message, however its pieces look.
TEST(PieceSplitter, WritesThatArriveOneReadEachAreHandledAsBefore) {
    const std::vector<std::pair<const char*, Reads>> cases = {
        {"text content that starts with printable bytes",
         {"STAT||note.txt", "hello world", "END||", "STAT||b.txt", "S", "END||"}},
        {"content ending in what could begin a marker",
         {"STAT||a.txt", "xxSTAT|", "yyEND|", "zz|", "END||"}},
        {"a marker written in lower case is content", {"STAT||a.txt", "stat||b.txt"}},
        {"a percent-encoded marker inside a piece", {"STAT||a.txt", "x%53TAT||b.txt"}},
        {"zero bytes in content", {"STAT||a.bin", Bytes("\0x|y\0", 5), Bytes("\0\0", 2)}},
        {"an empty name", {"STAT||", "\xFF\xD8lost", "STAT||b.jpg", "\xFF\xD8kept"}},
        {"refused names", {"STAT||..", "x", "STAT||a%2F..%2Fb", "y", "STAT||CON", "z"}},
    };
    for (const auto& [name, writes] : cases) {
        SCOPED_TRACE(name);
        EXPECT_EQ(receiveThroughSplitter(writes, /*pauses=*/true), receiveWholePieces(writes));
    }
}

// Two phones, and a stray client, whose reads interleave: each file holds only its own bytes.
TEST(PieceSplitter, InterleavedConnectionsKeepToTheirOwnFiles) {
    test::RecordingFileStore store;
    ScriptedEndpoint endpoint;
    ExchangeState state(endpoint, store, {[] { return Text("inbox"); }, {}, {}});
    const ConnectionId first = endpoint.events.arrive("10.0.0.2:1");
    const ConnectionId stray = endpoint.events.arrive("10.0.0.9:1");
    const ConnectionId second = endpoint.events.arrive("10.0.0.3:1");

    endpoint.events.receive(first, "STAT||one.jpg" + kJpegHead);
    endpoint.events.receive(second, "STAT||two.jpg" + kJpegHead);
    endpoint.events.receive(stray, "GET / HTTP/1.1\r\n\r\n");
    for (int round = 0; round < 3; ++round) {
        endpoint.events.receive(second, "22");
        endpoint.events.receive(first, "11");
        endpoint.events.receive(stray, Bytes("\xFF\x00junk", 6));
    }
    endpoint.events.depart(first);
    endpoint.events.receive(second, "END||");
    EXPECT_EQ(store.files,
              (Files{{"one.jpg", kJpegHead + "111111"}, {"two.jpg", kJpegHead + "222222"}}));
    EXPECT_EQ(state.receivedCount(), 2);
    EXPECT_EQ(state.currentFileName(), "two.jpg");
    EXPECT_EQ(state.clientAddress(), "10.0.0.3:1");
    EXPECT_EQ(store.closes, 1) << "the file of the phone that left, and only that one, is closed";
}

}  // namespace
}  // namespace veltrano

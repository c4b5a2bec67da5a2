#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "exchange/DiskFileStore.h"
#include "exchange/ExchangeState.h"
#include "exchange/FileError.h"
#include "tests/support/FakeEndpoint.h"
#include "tests/support/RecordingFileStore.h"
#include "tests/support/TempDir.h"

namespace veltrano {
namespace {

using Files = std::map<std::string, std::string>;

// An exchange state over a fake endpoint, recording what its hooks were told.
struct Receiver {
    explicit Receiver(FileStore& files, Text directory)
        : directory(std::move(directory)),
          state(endpoint, files,
                {[this] { return this->directory; },
                 [this](const Text& count) { shownCounts.push_back(count); },
                 [this](const FileProblem& problem) { problems.push_back(problem); }}) {}

    void receive(const Bytes& message) {
        endpoint.nextData = message;
        state.onDataArrived();
    }

    test::FakeEndpoint endpoint;
    Text directory;
    std::vector<Text> shownCounts;
    std::vector<FileProblem> problems;
    ExchangeState state;
};

struct SequenceCase {
    const char* name;
    Files before;
    std::vector<std::string> messages;
    Files after;
    int count;
};

TEST(ExchangeState, StoresEachAnnouncedFileWithTheBytesThatFollowIt) {
    using namespace std::string_literals;
    const std::vector<SequenceCase> cases = {
        {"one file in three pieces",
         {},
         {"STAT||a.jpg", "one", "two", "three", "END||"},
         {{"a.jpg", "onetwothree"}},
         1},
        {"Chinese name decoded from UTF-8",
         {},
         {"STAT||%E5%BC%A0%E4%B8%89.jpg", "x"},
         {{"\xE5\xBC\xA0\xE4\xB8\x89.jpg", "x"}},
         1},
        {"a second start closes the first file",
         {},
         {"STAT||a.jpg", "A", "END||", "STAT||b.jpg", "B", "END||"},
         {{"a.jpg", "A"}, {"b.jpg", "B"}},
         2},
        {"an existing file is emptied",
         {{"a.jpg", "old content"}},
         {"STAT||a.jpg", "new"},
         {{"a.jpg", "new"}},
         1},
        {"lower-case marker is content",
         {},
         {"STAT||a.jpg", "stat||b.jpg"},
         {{"a.jpg", "stat||b.jpg"}},
         1},
        {"text before the marker is part of the name",
         {},
         {"abcSTAT||x.jpg"},
         {{"abcx.jpg", ""}},
         1},
        {"every marker is removed from the name", {}, {"STAT||aSTAT||b"}, {{"ab", ""}}, 1},
        {"zero byte: marker after it is not seen, all bytes written",
         {},
         {"STAT||a.bin", "xy\0STAT||z"s},
         {{"a.bin", "xy\0STAT||z"s}},
         1},
        {"END|| before a zero byte drops the piece",
         {},
         {"STAT||a.bin", "END||\0data"s, "k"},
         {{"a.bin", "k"}},
         1},
        {"content before any start goes nowhere", {}, {"lost", "END||"}, {}, 0},
#ifdef _WIN32
        // Windows allows no "|" in a file name, so there the name is refused.
        {"both markers: a start of file", {}, {"STAT||a.jpgEND||", "x"}, {}, 1},
#else
        {"both markers: a start of file", {}, {"STAT||a.jpgEND||", "x"}, {{"a.jpgEND||", "x"}}, 1},
#endif
        {"an empty message appends nothing", {}, {"STAT||a.jpg", "", "x"}, {{"a.jpg", "x"}}, 1},
        {"empty name: counted, content discarded",
         {},
         {"STAT||", "lost", "STAT||b", "kept"},
         {{"b", "kept"}},
         2},
        {"936 second byte 0x5C stays inside the name",
         {},
         {"STAT||%E9%8C%A6.jpg", "x"},
         {{"\xE9\x8C\xA6.jpg", "x"}},
         1},
        {"escaped marker is found after decoding", {}, {"%53TAT||c.jpg", "x"}, {{"c.jpg", "x"}}, 1},
        // On disk the name keeps its own characters: the marker is only in the 936 form.
        {"characters that fall back to bars complete a marker",
         {},
         {"STAT\xC2\xA6\xC2\xA6"
          "d.jpg"},
         {{"STAT\xC2\xA6\xC2\xA6"
           "d.jpg",
           ""}},
         1},
        {"a trail byte completes END||",
         {},
         {"STAT||e.bin", "\xE7\x99\x8AND||", "k"},
         {{"e.bin", "k"}},
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        // A Chinese folder: the hook hands over code page 936 text, not the system's bytes.
        test::TempDir root;
        const auto dir = root.path() / test::utf8Path("班级照片");
        std::filesystem::create_directory(dir);
        for (const auto& [name, bytes] : c.before)
            test::writeFile(dir / test::utf8Path(name), bytes);
        DiskFileStore store;
        Receiver receiver(store, test::directoryText(dir));
        for (const auto& message : c.messages) receiver.receive(message);
        store.close(receiver.state.openFile());
        EXPECT_EQ(test::filesIn(dir), c.after);
        EXPECT_EQ(receiver.state.receivedCount(), c.count);
        EXPECT_EQ(receiver.shownCounts.size(), std::size_t(c.count));
        if (!receiver.shownCounts.empty()) {
            EXPECT_EQ(receiver.shownCounts.back(), std::to_string(c.count));
        }
    }
}

// Names with characters that code page 936 lacks used to be stored under their 936 form:
// "😀.jpg" and "😁.jpg" both became "?.jpg" and the second replaced the first.
TEST(ExchangeState, NamesAreStoredInTheirOwnCharactersAndShownIn936) {
    struct NameCase {
        const char* name;
        const char* announced;  // percent-encoded UTF-8, as the phone sends it
        const char* stored;     // UTF-8
        // Code page 936; nullptr where the fallback is the platform's own (one "?" per character
        // with ICU, one per UTF-16 unit on Windows).
        const char* shown;
    };
    const std::vector<NameCase> cases = {
        {"emoji", "%F0%9F%98%80.jpg", "\xF0\x9F\x98\x80.jpg", nullptr},
        {"the next emoji", "%F0%9F%98%81.jpg", "\xF0\x9F\x98\x81.jpg", nullptr},
        {"Korean", "%ED%95%9C%EA%B5%AD.jpg", "\xED\x95\x9C\xEA\xB5\xAD.jpg", "??.jpg"},
        {"thorn", "%C3%9E.jpg", "\xC3\x9E.jpg", nullptr},
        {"broken bar", "%C2%A6.jpg", "\xC2\xA6.jpg", nullptr},
        {"Chinese", "%E5%BC%A0%E4%B8%89.jpg", "\xE5\xBC\xA0\xE4\xB8\x89.jpg",
         "\xD5\xC5\xC8\xFD.jpg"},
        {"emoji behind a parent", "..%2F%F0%9F%98%82.jpg", "\xF0\x9F\x98\x82.jpg", nullptr},
    };
    test::TempDir root;
    const auto inbox = root.path() / "inbox";
    std::filesystem::create_directory(inbox);
    DiskFileStore store;
    Receiver receiver(store, inbox.string());
    Files expected;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        receiver.receive(std::string("STAT||") + c.announced);
        receiver.receive(c.name);
        expected[c.stored] = c.name;
        if (c.shown) {
            EXPECT_EQ(receiver.state.currentFileName(), c.shown);
        }
    }
    store.close(receiver.state.openFile());
    EXPECT_EQ(test::filesIn(inbox), expected);
    EXPECT_EQ(test::filesIn(root.path()), Files{});
    EXPECT_TRUE(receiver.problems.empty());
}

TEST(ExchangeState, NamesNeverReachOutsideTheReceiveDirectory) {
    struct TraversalCase {
        const char* name;
        const char* announced;
        const char* storedAs;  // nullptr: refused
    };
    const std::vector<TraversalCase> cases = {
        {"parent with slash", "../x", "x"},
        {"parent with backslash", "..\\x", "x"},
        {"escaped slashes", "%2E%2E%2Fx", "x"},
        {"absolute path", "/etc/x", "x"},
        {"parents inside a path", "a/../../x", "x"},
        {"drive prefix", "C:x", "x"},
        {"drive and backslash", "C:\\Windows\\x", "x"},
        {"dot-dot alone", "..", nullptr},
        {"dot alone", ".", nullptr},
        {"ends in a separator", "a/", nullptr},
        {"empty", "", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir root;
        const auto inbox = root.path() / "inbox";
        std::filesystem::create_directories(inbox / "a");
        DiskFileStore store;
        Receiver receiver(store, test::directoryText(inbox));
        receiver.receive(std::string("STAT||") + c.announced);
        receiver.receive("payload");
        store.close(receiver.state.openFile());

        EXPECT_EQ(test::filesIn(root.path()), Files{});
        EXPECT_EQ(test::filesIn(inbox / "a"), Files{});
        EXPECT_EQ(receiver.state.receivedCount(), 1);
        if (c.storedAs) {
            EXPECT_EQ(test::filesIn(inbox), (Files{{c.storedAs, "payload"}}));
            EXPECT_TRUE(receiver.problems.empty());
        } else {
            EXPECT_EQ(test::filesIn(inbox), Files{});
            ASSERT_EQ(receiver.problems.size(), 1u);
            EXPECT_EQ(receiver.problems[0].kind, FileProblem::Kind::CannotCreate);
        }
    }
}

#ifndef _WIN32
TEST(ExchangeState, APlantedSymbolicLinkIsNeitherFollowedNorEmptied) {
    test::TempDir root;
    const auto inbox = root.path() / "inbox";
    std::filesystem::create_directory(inbox);
    test::writeFile(root.path() / "precious.txt", "keep me");
    std::filesystem::create_symlink(root.path() / "precious.txt", inbox / "evil.jpg");

    DiskFileStore store;
    Receiver receiver(store, test::directoryText(inbox));
    receiver.receive("STAT||evil.jpg");
    receiver.receive("overwrite");

    EXPECT_EQ(test::readFile(root.path() / "precious.txt"), "keep me");
    EXPECT_EQ(receiver.state.openFile(), 0);
    ASSERT_EQ(receiver.problems.size(), 1u);
    EXPECT_EQ(receiver.problems[0].fileName, "evil.jpg");
}
#endif

#ifdef _WIN32
TEST(ExchangeState, WindowsJoinsWithBackslashAndRefusesDeviceNames) {
    test::TempDir dir;
    DiskFileStore store;
    // A directory typed with its closing backslash, as "D:\\" is.
    Receiver receiver(store, test::directoryText(dir.path()) + "\\");
    for (const char* refused : {"CON", "nul.txt", "COM1.jpg", "LPT9", "a.", "b ", "ab:stream"}) {
        SCOPED_TRACE(refused);
        receiver.receive(std::string("STAT||") + refused);
        receiver.receive("never written");
        EXPECT_EQ(receiver.state.openFile(), 0);
    }
    EXPECT_EQ(receiver.problems.size(), 7u);
    receiver.receive("STAT||C:photo.jpg");
    receiver.receive("kept");
    store.close(receiver.state.openFile());
    EXPECT_EQ(test::filesIn(dir.path()), (Files{{"photo.jpg", "kept"}}));
}
#endif

TEST(ExchangeState, AMissingDirectoryIsReportedAndTheNextFileStillArrives) {
    test::TempDir root;
    DiskFileStore store;
    Receiver receiver(store, test::directoryText(root.path() / "missing"));
    receiver.receive("STAT||a.jpg");
    receiver.receive("lost");
    ASSERT_EQ(receiver.problems.size(), 1u);
    EXPECT_EQ(receiver.problems[0].reason, std::errc::no_such_file_or_directory);

    // The directory is read again at each start of a file.
    receiver.directory = test::directoryText(root.path());
    receiver.receive("STAT||b.jpg");
    receiver.receive("kept");
    store.close(receiver.state.openFile());
    EXPECT_EQ(test::filesIn(root.path()), (Files{{"b.jpg", "kept"}}));
    EXPECT_EQ(receiver.state.receivedCount(), 2);
}

TEST(ExchangeState, FailuresAreToldOncePerFile) {
    test::RecordingFileStore store;
    Receiver receiver(store, "/inbox");

    store.createError = std::make_error_code(std::errc::permission_denied);
    receiver.receive("STAT||a.jpg");
    receiver.receive("discarded");
    EXPECT_EQ(receiver.state.openFile(), 0);

    store.createError.clear();
    store.appendError = std::make_error_code(std::errc::no_space_on_device);
    receiver.receive("STAT||b.jpg");
    receiver.receive("piece 1");
    receiver.receive("piece 2");
    receiver.receive("STAT||c.jpg");
    receiver.receive("piece 3");

    ASSERT_EQ(receiver.problems.size(), 3u);
    EXPECT_EQ(receiver.problems[0].kind, FileProblem::Kind::CannotCreate);
    EXPECT_EQ(receiver.problems[0].fileName, "a.jpg");
    EXPECT_EQ(receiver.problems[0].reason, std::errc::permission_denied);
    EXPECT_EQ(receiver.problems[1].kind, FileProblem::Kind::CannotWrite);
    EXPECT_EQ(receiver.problems[1].fileName, "b.jpg");
    EXPECT_EQ(receiver.problems[2].fileName, "c.jpg");
    EXPECT_EQ(receiver.state.receivedCount(), 3);
    EXPECT_EQ(store.closes, 1);
}

TEST(ExchangeState, KeepsTheLastClientAddressAndReleasesItsTexts) {
    test::RecordingFileStore store;
    Receiver receiver(store, "/inbox");
    receiver.endpoint.nextAddress = "10.0.0.5:4000";
    receiver.state.onClientArrived();
    receiver.endpoint.nextAddress = "10.0.0.6:4001";
    receiver.state.onClientArrived();
    EXPECT_EQ(receiver.state.clientAddress(), "10.0.0.6:4001");

    receiver.receive("STAT||a.jpg");
    receiver.state.releaseExchangeState();
    EXPECT_EQ(receiver.state.clientAddress(), "");
    EXPECT_EQ(receiver.state.currentFileName(), "");
    EXPECT_NE(receiver.state.openFile(), 0);
}

}  // namespace
}  // namespace veltrano

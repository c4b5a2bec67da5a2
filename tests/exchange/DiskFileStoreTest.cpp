#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <array>
#include <filesystem>

#include "exchange/DiskFileStore.h"
#include "exchange/FileError.h"
#include "tests/support/TempDir.h"

namespace veltrano {
namespace {

TEST(DiskFileStore, AppendsPastFourGibibytes) {
#ifdef _WIN32
    GTEST_SKIP() << "Windows lets no one else resize the file while it is being received";
#endif
    test::TempDir dir;
    DiskFileStore store;
    std::error_code error;
    const FileNumber file = store.createAndOpen(dir.path(), "big.bin", error);
    ASSERT_NE(file, 0) << error.message();
    // A sparse file stands in for 4 GiB already received.
    const std::uintmax_t fourGiB = std::uintmax_t{4} << 30;
    std::filesystem::resize_file(dir.path() / "big.bin", fourGiB + 7);
    ASSERT_FALSE(store.append(file, "tail"));
    store.close(file);
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "big.bin"), fourGiB + 11);
}

TEST(DiskFileStore, RefusesWhatIsNotAPlainFile) {
    test::TempDir dir;
    std::filesystem::create_directory(dir.path() / "folder");
    DiskFileStore store;
    std::error_code error;
    EXPECT_EQ(store.createAndOpen(dir.path(), "folder", error), 0);
    EXPECT_TRUE(error);
#ifndef _WIN32
    // A FIFO with no reader must not block the caller.
    ASSERT_EQ(::mkfifo((dir.path() / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(store.createAndOpen(dir.path(), "pipe", error), 0);
    EXPECT_TRUE(error);
#endif
    EXPECT_EQ(store.createAndOpen("", "a", error), 0);
    EXPECT_EQ(error, FileError::NoDirectory);
}

TEST(DiskFileStore, BytesReachTheSystemBeforeAppendReturns) {
    test::TempDir dir;
    DiskFileStore store;
    std::error_code error;
    const FileNumber file = store.createAndOpen(dir.path(), "a.bin", error);
    ASSERT_NE(file, 0);
    ASSERT_FALSE(store.append(file, std::string("x\0y", 3)));
    // Read through another descriptor while the file is still open: nothing waits in a buffer.
    EXPECT_EQ(test::readFile(dir.path() / "a.bin"), std::string("x\0y", 3));
}

// A hard link planted under an announced name used to be emptied and overwritten, and with it
// the file outside the receive directory that it shares its content with.
TEST(DiskFileStore, AnExistingNameIsReplacedNotCutThroughAHardLink) {
    test::TempDir dir;
    const auto inbox = dir.path() / "inbox";
    std::filesystem::create_directory(inbox);
    const auto outside = dir.path() / "outside.txt";
    test::writeFile(outside, "keep me");
    std::filesystem::create_hard_link(outside, inbox / "a.jpg");

    DiskFileStore store;
    std::error_code error;
    const FileNumber file = store.createAndOpen(inbox, "a.jpg", error);
    ASSERT_NE(file, 0) << error.message();
    ASSERT_FALSE(store.append(file, "photo"));
    store.close(file);

    EXPECT_EQ(test::readFile(outside), "keep me");
    EXPECT_EQ(std::filesystem::hard_link_count(outside), 1u);
    EXPECT_EQ(test::readFile(inbox / "a.jpg"), "photo");
}

TEST(DiskFileStore, AReadOnlyFileIsNotReplaced) {
#ifndef _WIN32
    if (::geteuid() == 0) GTEST_SKIP() << "root may write to any file";
#endif
    test::TempDir dir;
    test::writeFile(dir.path() / "kept.jpg", "keep me");
    std::filesystem::permissions(dir.path() / "kept.jpg", std::filesystem::perms::owner_read);
    DiskFileStore store;
    std::error_code error;
    EXPECT_EQ(store.createAndOpen(dir.path(), "kept.jpg", error), 0);
    EXPECT_EQ(error, std::errc::permission_denied) << error.message();
    EXPECT_EQ(test::readFile(dir.path() / "kept.jpg"), "keep me");
    std::filesystem::permissions(dir.path() / "kept.jpg", std::filesystem::perms::owner_all);
}

#ifndef _WIN32
// Windows keeps a folder in place while a file in it is open without FILE_SHARE_DELETE.
// Bytes used to go on into a file that had been deleted with its folder, lost without a word.
TEST(DiskFileStore, AFileWhoseFolderVanishesTakesNoMoreBytes) {
    namespace fs = std::filesystem;
    struct Case {
        const char* name;
        void (*vanish)(const fs::path& inbox);
        std::error_code expected;
    };
    const std::array<Case, 4> cases = {{
        {"folder deleted", [](const fs::path& inbox) { fs::remove_all(inbox); },
         FileError::DirectoryGone},
        {"folder moved",
         [](const fs::path& inbox) { fs::rename(inbox, inbox.string() + "-moved"); },
         FileError::DirectoryGone},
        {"folder replaced",
         [](const fs::path& inbox) {
             fs::rename(inbox, inbox.string() + "-old");
             fs::create_directory(inbox);
         },
         FileError::DirectoryGone},
        {"file deleted", [](const fs::path& inbox) { fs::remove(inbox / "a.jpg"); },
         FileError::FileGone},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir dir;
        const auto inbox = dir.path() / "inbox";
        fs::create_directory(inbox);
        DiskFileStore store;
        std::error_code error;
        const FileNumber file = store.createAndOpen(inbox, "a.jpg", error);
        ASSERT_NE(file, 0) << error.message();
        ASSERT_FALSE(store.append(file, "one"));
        c.vanish(inbox);
        EXPECT_EQ(store.append(file, "two"), c.expected);
        EXPECT_EQ(store.append(file, "three"), c.expected);
        if (fs::exists(inbox.string() + "-moved")) {
            EXPECT_EQ(test::readFile(inbox.string() + "-moved/a.jpg"), "one");
        }
        store.close(file);

        // Once the folder is back, the next file is stored as usual.
        fs::create_directories(inbox);
        const FileNumber next = store.createAndOpen(inbox, "b.jpg", error);
        ASSERT_NE(next, 0) << error.message();
        EXPECT_FALSE(store.append(next, "next"));
        EXPECT_EQ(test::readFile(inbox / "b.jpg"), "next");
    }
}
#endif

}  // namespace
}  // namespace veltrano

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

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

}  // namespace
}  // namespace veltrano

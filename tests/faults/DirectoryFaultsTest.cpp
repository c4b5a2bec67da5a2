#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "exchange/FileError.h"
#include "tests/support/LoopbackReceiver.h"

namespace veltrano {
namespace {

// A small file system of the test's own, mounted over `where` while it lives; needs root.
class SmallFileSystem {
public:
    SmallFileSystem(const std::filesystem::path& where, const char* options, unsigned long flags)
        : where_(where) {
        std::filesystem::create_directories(where);
        mounted_ = ::mount("tmpfs", where.c_str(), "tmpfs", flags, options) == 0;
    }
    ~SmallFileSystem() {
        if (mounted_) ::umount2(where_.c_str(), MNT_DETACH);
    }
    bool mounted() const { return mounted_; }

private:
    std::filesystem::path where_;
    bool mounted_ = false;
};

// The next file to a good directory after a failure is stored, whatever the failure was.
void expectTheNextFileIsStored(test::LoopbackReceiver& receiver, QTcpSocket& phone) {
    const auto good = receiver.inbox.path() / "good";
    std::filesystem::create_directories(good);
    receiver.setDirectory(good);
    receiver.send(phone, "STAT||after.jpg");
    receiver.send(phone, "stored");
    EXPECT_EQ(test::readFile(good / "after.jpg"), "stored");
}

TEST(DirectoryFaults, AFullDiskIsToldOnceAndNothingCrashes) {
    test::LoopbackReceiver receiver;
    const auto full = receiver.inbox.path() / "full";
    SmallFileSystem disk(full, "size=256k", 0);
    if (!disk.mounted()) GTEST_SKIP() << "mounting a small file system needs root";
    receiver.setDirectory(full);
    auto phone = receiver.connectPhone();
    receiver.send(*phone, "STAT||big.jpg");
    const QByteArray piece(64 * 1024, 'x');
    for (int i = 0; i < 8; ++i) receiver.send(*phone, piece);

    ASSERT_EQ(receiver.problems.size(), 1u);
    EXPECT_EQ(receiver.problems[0].kind, FileProblem::Kind::CannotWrite);
    EXPECT_EQ(receiver.problems[0].reason, std::errc::no_space_on_device);
    EXPECT_LE(std::filesystem::file_size(full / "big.jpg"), 256u * 1024);
    expectTheNextFileIsStored(receiver, *phone);
}

TEST(DirectoryFaults, AnUnwritableDirectoryIsToldAndNothingCrashes) {
    test::LoopbackReceiver receiver;
    const auto locked = receiver.inbox.path() / "locked";
    // Root writes anywhere it has permission bits for, but not to a read-only file system.
    SmallFileSystem readOnly(locked, "size=64k", MS_RDONLY);
    if (!readOnly.mounted()) {
        std::filesystem::create_directories(locked);
        ::chmod(locked.c_str(), 0555);
    }
    receiver.setDirectory(locked);
    auto phone = receiver.connectPhone();
    receiver.send(*phone, "STAT||a.jpg");
    receiver.send(*phone, "discarded");

    ASSERT_EQ(receiver.problems.size(), 1u);
    EXPECT_EQ(receiver.problems[0].kind, FileProblem::Kind::CannotCreate);
    EXPECT_TRUE(receiver.problems[0].reason == std::errc::read_only_file_system ||
                receiver.problems[0].reason == std::errc::permission_denied)
        << receiver.problems[0].reason.message();
    expectTheNextFileIsStored(receiver, *phone);
    ::chmod(locked.c_str(), 0755);
}

// Deleting the folder mid-file used to go unnoticed: the rest of the file went into the deleted
// file, and only the next file was told.
TEST(DirectoryFaults, ADirectoryRemovedMidTransferIsToldAtTheNextWrite) {
    test::LoopbackReceiver receiver;
    const auto doomed = receiver.inbox.path() / "doomed";
    std::filesystem::create_directories(doomed);
    receiver.setDirectory(doomed);
    auto phone = receiver.connectPhone();
    receiver.send(*phone, "STAT||first.jpg");
    receiver.send(*phone, "part one");
    std::filesystem::remove_all(doomed);
    receiver.send(*phone, "part two");
    receiver.send(*phone, "part three");

    ASSERT_EQ(receiver.problems.size(), 1u);
    EXPECT_EQ(receiver.problems[0].kind, FileProblem::Kind::CannotWrite);
    EXPECT_EQ(receiver.problems[0].fileName, "first.jpg");
    EXPECT_EQ(receiver.problems[0].reason, FileError::DirectoryGone);

    // The folder is made again: the next file arrives there as usual.
    std::filesystem::create_directories(doomed);
    receiver.send(*phone, "STAT||second.jpg");
    receiver.send(*phone, "kept");
    EXPECT_EQ(test::readFile(doomed / "second.jpg"), "kept");
    EXPECT_EQ(receiver.problems.size(), 1u);
}

}  // namespace
}  // namespace veltrano

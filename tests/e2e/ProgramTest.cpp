#include <gtest/gtest.h>

#include <QTcpSocket>
#include <filesystem>
#include <random>

#include <signal.h>

#include "tests/e2e/RunningProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace {

using veltrano::test::connectWhenListening;
using veltrano::test::RunningProgram;
using veltrano::test::waitUntil;

TEST(Program, StoresAFileSentToPort3456WithAndWithoutADisplay) {
    for (const bool withDisplay : {true, false}) {
        SCOPED_TRACE(withDisplay ? "window" : "no display");
        ASSERT_TRUE(veltrano::test::exchangePortIsFree())
            << "port 3456 is in use: stop whatever holds it and run again";
        veltrano::test::TempDir home;
        RunningProgram program(home.path(), withDisplay);
        ASSERT_TRUE(program.process().waitForStarted(10000));

        QTcpSocket phone;
        ASSERT_TRUE(connectWhenListening(phone));

        phone.write("STAT||%E5%BC%A0%E4%B8%89.jpg");
        const auto stored = home.path() / "\xE5\xBC\xA0\xE4\xB8\x89.jpg";
        ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(stored); }));
        std::string photo(1 << 20, '\0');
        std::mt19937 random(3);
        for (auto& byte : photo) byte = static_cast<char>(random());
        phone.write(photo.data(), qint64(photo.size()));
        ASSERT_TRUE(waitUntil([&] { return std::filesystem::file_size(stored) == photo.size(); }));
        phone.write("END||");
        phone.disconnectFromHost();
        EXPECT_EQ(veltrano::test::readFile(stored), photo);

        program.process().kill();
        program.process().waitForFinished(5000);
        const QString output = QString::fromLocal8Bit(program.process().readAllStandardOutput());
        EXPECT_EQ(output.contains(QStringLiteral("No display found")), !withDisplay)
            << output.toStdString();
    }
}

TEST(Program, KilledMidFileKeepsEveryByteItHadRead) {
    ASSERT_TRUE(veltrano::test::exchangePortIsFree())
        << "port 3456 is in use: stop whatever holds it and run again";
    veltrano::test::TempDir home;
    RunningProgram program(home.path(), /*withDisplay=*/false);
    ASSERT_TRUE(program.process().waitForStarted(10000));
    QTcpSocket phone;
    ASSERT_TRUE(connectWhenListening(phone));
    phone.write("STAT||interrupted.jpg");
    const auto stored = home.path() / "interrupted.jpg";
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(stored); }));

    std::string sent;
    std::mt19937 random(9);
    for (int piece = 0; piece < 20; ++piece) {
        std::string bytes(50000, '\0');
        for (auto& byte : bytes) byte = static_cast<char>(random());
        phone.write(bytes.data(), qint64(bytes.size()));
        sent += bytes;
    }
    // Once the program has read everything, it is killed without any chance to flush or close.
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::file_size(stored) == sent.size(); }));
    ::kill(pid_t(program.process().processId()), SIGKILL);
    ASSERT_TRUE(program.process().waitForFinished(10000));
    EXPECT_EQ(program.process().exitStatus(), QProcess::CrashExit);
    EXPECT_EQ(veltrano::test::readFile(stored), sent);
}

}  // namespace

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <filesystem>
#include <map>
#include <random>
#include <string>

#include <signal.h>

#include "tests/e2e/RunningProgram.h"
#include "tests/support/TempDir.h"

namespace {

using namespace veltrano::test;

// Random bytes, zero bytes included, between a JPEG's first and last markers.
std::string photoLikeBytes(std::size_t size, std::mt19937& random) {
    std::string bytes(size, '\0');
    for (auto& byte : bytes) byte = static_cast<char>(random());
    bytes.replace(0, 4, "\xFF\xD8\xFF\xE0", 4);
    bytes.replace(size - 2, 2, "\xFF\xD9", 2);
    return bytes;
}

// A busy or slow computer: the program stops for a second now and then while the phone, pausing
// only 20 ms around its markers, goes on sending. The kernel keeps taking the bytes, so when the
// program runs again several of the phone's pieces wait in one read.
TEST(LaggingProgram, StoresEveryFileExactlyWhileStoppedForASecondAtATime) {
    ASSERT_TRUE(exchangePortIsFree())
        << "port 3456 is in use: stop whatever holds it and run again";
    TempDir home;
    TempDir outbox;
    std::mt19937 random(10);
    std::map<std::string, std::string> sent;
    QStringList arguments = {QStringLiteral("--host"), QStringLiteral("127.0.0.1"),
                             QStringLiteral("--pause"), QStringLiteral("20")};
    for (int index = 0; index < 10; ++index) {
        const std::string name =
            (index % 2 ? "\xE7\x85\xA7\xE7\x89\x87" : "IMG_") + std::to_string(index) + ".jpg";
        std::string bytes = photoLikeBytes(200'000 + 130'000 * std::size_t(index), random);
        writeFile(outbox.path() / utf8Path(name), bytes);
        arguments << QString::fromStdString((outbox.path() / utf8Path(name)).string());
        sent.emplace(name, std::move(bytes));
    }

    RunningProgram program(home.path(), /*withDisplay=*/false);
    ASSERT_TRUE(program.process().waitForStarted(10000));
    {
        QTcpSocket probe;
        ASSERT_TRUE(connectWhenListening(probe));
    }
    const auto pid = pid_t(program.process().processId());

    QProcess sender;
    sender.start(QStringLiteral(VELTRANO_SENDER), arguments);
    ASSERT_TRUE(sender.waitForStarted(10000));
    QElapsedTimer clock;
    clock.start();
    while (sender.state() != QProcess::NotRunning && clock.elapsed() < 60000) {
        ::kill(pid, SIGSTOP);
        QThread::msleep(1000);
        ::kill(pid, SIGCONT);
        sender.waitForFinished(150);
    }
    ::kill(pid, SIGCONT);
    ASSERT_EQ(sender.state(), QProcess::NotRunning) << "the sender did not finish within a minute";
    ASSERT_EQ(sender.exitCode(), 0) << sender.readAllStandardError().toStdString();

    // The program has every byte once the sender's last one is acknowledged; let it catch up.
    std::map<std::string, std::string> stored;
    while (clock.elapsed() < 70000) {
        stored = filesIn(home.path());
        if (stored == sent) break;
        QThread::msleep(100);
    }
    ASSERT_EQ(stored.size(), sent.size());
    for (const auto& [name, bytes] : sent) {
        SCOPED_TRACE(name);
        ASSERT_EQ(stored.count(name), 1u);
        EXPECT_TRUE(stored[name] == bytes) << "stored " << stored[name].size() << " of "
                                           << bytes.size() << " bytes, or other bytes";
    }
}

}  // namespace

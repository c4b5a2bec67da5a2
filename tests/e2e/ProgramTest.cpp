#include <gtest/gtest.h>

#include <QTcpServer>
#include <QTcpSocket>
#include <array>
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

// Sends a file and waits until the program has stored all of it.
void sendFile(QTcpSocket& phone, const std::filesystem::path& stored, const std::string& bytes) {
    phone.write("STAT||" + QByteArray::fromStdString(stored.filename().string()));
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(stored); }));
    phone.write(bytes.data(), qint64(bytes.size()));
    ASSERT_TRUE(waitUntil([&] { return std::filesystem::file_size(stored) == bytes.size(); }));
}

// A fake X server on loopback that accepts and hangs up at once, as one that refuses us does.
class RefusingXServer {
public:
    RefusingXServer() {
        for (int display = 50; display < 100 && !server_.isListening(); ++display) {
            if (server_.listen(QHostAddress::LocalHost, quint16(6000 + display)))
                display_ = display;
        }
        QObject::connect(&server_, &QTcpServer::newConnection, &server_, [this] {
            while (QTcpSocket* client = server_.nextPendingConnection()) {
                client->abort();
                client->deleteLater();
            }
        });
    }
    QString display() const { return QStringLiteral("127.0.0.1:%1").arg(display_); }
    bool listening() const { return server_.isListening(); }

private:
    QTcpServer server_;
    int display_ = 0;
};

// With a DISPLAY whose server was gone (an SSH session with X forwarding that had ended), the
// program aborted in the toolkit with exit 134.
TEST(Program, FallsBackToHeadlessWhenTheDisplayDoesNotAnswer) {
    RefusingXServer refusing;
    ASSERT_TRUE(refusing.listening());
    ASSERT_FALSE(std::filesystem::exists("/tmp/.X11-unix/X4242"));
    struct Case {
        const char* name;
        QString display;
    };
    const std::array<Case, 2> cases = {{
        {"nothing at the display", QStringLiteral(":4242")},
        {"a server that hangs up", refusing.display()},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(veltrano::test::exchangePortIsFree())
            << "port 3456 is in use: stop whatever holds it and run again";
        veltrano::test::TempDir home;
        RunningProgram program(home.path(), /*withDisplay=*/false, c.display);
        ASSERT_TRUE(program.process().waitForStarted(10000));
        QTcpSocket phone;
        ASSERT_TRUE(connectWhenListening(phone));
        sendFile(phone, home.path() / "a.jpg", "photo");

        // Someone on SSH learns what to type into the phone.
        QString output;
        EXPECT_TRUE(waitUntil([&] {
            output += QString::fromUtf8(program.process().readAllStandardOutput());
            return output.contains(QStringLiteral("操作方法:"));
        })) << output.toStdString();
        EXPECT_TRUE(output.contains(QStringLiteral("No display found"))) << output.toStdString();
        ::kill(pid_t(program.process().processId()), SIGTERM);
        ASSERT_TRUE(program.process().waitForFinished(10000));
        EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.process().exitCode(), 0);
    }
}

// SIGINT and SIGTERM ended the process by the signal, with no last word.
TEST(Program, AStopSignalClosesTheFileAndExitsWithZeroAndOneLastLine) {
    struct Case {
        const char* name;
        int signal;
        bool withDisplay;
        const char* lastLine;
    };
    const std::array<Case, 4> cases = {{
        {"SIGINT, no display", SIGINT, false, "Stopped by SIGINT: every received file is closed."},
        {"SIGTERM, no display", SIGTERM, false,
         "Stopped by SIGTERM: every received file is closed."},
        {"SIGINT, window", SIGINT, true, "Stopped by SIGINT: every received file is closed."},
        {"SIGTERM, window", SIGTERM, true, "Stopped by SIGTERM: every received file is closed."},
    }};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(veltrano::test::exchangePortIsFree())
            << "port 3456 is in use: stop whatever holds it and run again";
        veltrano::test::TempDir home;
        RunningProgram program(home.path(), c.withDisplay);
        ASSERT_TRUE(program.process().waitForStarted(10000));
        QTcpSocket phone;
        ASSERT_TRUE(connectWhenListening(phone));
        const std::string photo(300000, 'p');
        sendFile(phone, home.path() / "open.jpg", photo);

        ::kill(pid_t(program.process().processId()), c.signal);
        ASSERT_TRUE(program.process().waitForFinished(10000));
        EXPECT_EQ(program.process().exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.process().exitCode(), 0);
        const QStringList lines = QString::fromUtf8(program.process().readAllStandardOutput())
                                      .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        EXPECT_EQ(lines.value(lines.size() - 1), QString::fromLatin1(c.lastLine));
        EXPECT_EQ(veltrano::test::readFile(home.path() / "open.jpg"), photo);
    }
}

// Without a display, 200 refused 64 KB names printed 12.8 MB: every notice held the whole name.
TEST(Program, HeadlessNoticesOfAFloodStayShort) {
    ASSERT_TRUE(veltrano::test::exchangePortIsFree())
        << "port 3456 is in use: stop whatever holds it and run again";
    veltrano::test::TempDir home;
    RunningProgram program(home.path(), /*withDisplay=*/false);
    ASSERT_TRUE(program.process().waitForStarted(10000));
    QTcpSocket phone;
    ASSERT_TRUE(connectWhenListening(phone));
    const QByteArray filler(64 * 1024, 'x');
    // Names that differ, then a run of one name.
    for (int i = 0; i < 200; ++i) {
        phone.write("STAT||" + (i < 100 ? QByteArray::number(i) : QByteArray("same")) + filler);
    }
    QString output;
    ASSERT_TRUE(waitUntil(
        [&] {
            output += QString::fromUtf8(program.process().readAllStandardOutput());
            return output.contains(QStringLiteral("收到文件个数: 200"));
        },
        60000));
    ::kill(pid_t(program.process().processId()), SIGTERM);
    ASSERT_TRUE(program.process().waitForFinished(10000));
    const QStringList notices = QString::fromUtf8(program.process().readAllStandardError())
                                    .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    // One line for each name that differs, then the run at 1, 2, 4, ... 64 times.
    EXPECT_EQ(notices.size(), 100 + 7);
    for (const QString& line : notices) EXPECT_LE(line.size(), 80) << line.toStdString();
    EXPECT_TRUE(notices.value(notices.size() - 1).endsWith(QStringLiteral("（共64次）")));
}

}  // namespace

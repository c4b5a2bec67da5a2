#include <gtest/gtest.h>

#include <QProcess>
#include <QTcpServer>
#include <random>

#include "endpoint/ServerEndpoint.h"
#include "exchange/DiskFileStore.h"
#include "exchange/ExchangeState.h"
#include "exchange/RosterPush.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace veltrano {
namespace {

using test::waitUntil;

// The real endpoint and receiver on a free loopback port, storing into a fresh directory.
struct Receiver {
    Receiver() : exchange(endpoint, files, {[this] { return inbox.path().string(); }, {}, {}}) {
        endpoint.setListenAddress(QHostAddress::LocalHost);
        endpoint.setPort(0);
        EXPECT_TRUE(endpoint.start());
    }
    QString port() const { return QString::number(endpoint.serverPort()); }

    test::TempDir inbox;
    ServerEndpoint endpoint;
    DiskFileStore files;
    ExchangeState exchange;
};

// Runs the sender while the event loop keeps serving the receiver.
struct SenderRun {
    explicit SenderRun(const QStringList& arguments) {
        process.start(QStringLiteral(VELTRANO_SEND), arguments);
        EXPECT_TRUE(process.waitForStarted(10000));
    }
    ~SenderRun() {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished(5000);
        }
    }
    bool finish(int timeoutMs = 60000) {
        return waitUntil([&] { return process.state() == QProcess::NotRunning; }, timeoutMs);
    }
    QProcess process;
};

TEST(Sender, FilesArriveByteForByteUnderTheirNames) {
    Receiver receiver;
    test::TempDir outbox;
    // A photo's size: on loopback the sender outruns any phone, and the markers still depend on
    // its pauses, so the test keeps to what a real transfer looks like.
    std::string photo(600 * 1024 + 5, '\0');
    std::mt19937 random(5);
    for (auto& byte : photo) byte = static_cast<char>(random());
    const std::map<std::string, std::string> sent = {
        {"\xE5\xBC\xA0\xE4\xB8\x89 1.jpg", photo},  // 张三 1.jpg
        {"empty.txt", ""},
        {"plain+50%.txt", "a small file"},
    };
    // Nothing but the pauses keeps a marker apart from its neighbours, and this test's process is
    // the receiver: a generous pause keeps it right on a loaded machine.
    QStringList arguments = {QStringLiteral("--port"), receiver.port(), QStringLiteral("--pause"),
                             QStringLiteral("250")};
    for (const auto& [name, bytes] : sent) {
        test::writeFile(outbox.path() / name, bytes);
        arguments.append(QString::fromStdString((outbox.path() / name).string()));
    }
    SenderRun run(arguments);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.process.exitCode(), 0) << run.process.readAllStandardError().toStdString();
    EXPECT_TRUE(run.process.readAllStandardError().isEmpty());  // no bar when not a terminal
    receiver.files.close(receiver.exchange.openFile());
    EXPECT_EQ(test::filesIn(receiver.inbox.path()), sent);
    EXPECT_EQ(receiver.exchange.receivedCount(), 3);
}

// The receiver finds the markers in the stream itself, so it needs none of the sender's pauses.
TEST(Sender, PhotosSentWithoutPausesArriveByteForByte) {
    Receiver receiver;
    test::TempDir outbox;
    std::mt19937 random(6);
    std::map<std::string, std::string> sent;
    QStringList arguments = {QStringLiteral("--port"), receiver.port(), QStringLiteral("--pause"),
                             QStringLiteral("0")};
    for (int index = 0; index < 8; ++index) {
        std::string photo(index == 3 ? 0 : 50'000 * std::size_t(index + 1), '\0');
        for (auto& byte : photo) byte = static_cast<char>(random());
        if (!photo.empty()) photo.replace(0, 3, "\xFF\xD8\xFF");
        const std::string name = "\xE7\x85\xA7 " + std::to_string(index) + ".jpg";  // 照 n.jpg
        test::writeFile(outbox.path() / name, photo);
        arguments.append(QString::fromStdString((outbox.path() / name).string()));
        sent.emplace(name, std::move(photo));
    }
    SenderRun run(arguments);
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.process.exitCode(), 0) << run.process.readAllStandardError().toStdString();
    // The sender's departure closes its last file once every byte before it is stored.
    ASSERT_TRUE(waitUntil([&] {
        return receiver.exchange.receivedCount() == 8 && receiver.exchange.openFile() == 0;
    }));
    EXPECT_EQ(test::filesIn(receiver.inbox.path()), sent);
}

TEST(Sender, PrintsARosterPushedByTheComputer) {
    Receiver receiver;
    SenderRun run({QStringLiteral("--roster"), QStringLiteral("--port"), receiver.port(),
                   QStringLiteral("--timeout"), QStringLiteral("30")});
    ASSERT_TRUE(waitUntil([&] { return !receiver.exchange.clientAddress().empty(); }));
    // "1班\t张三\r\n2班\t李四\r\n" in code page 936.
    const Text roster = "1\xB0\xE0\t\xD5\xC5\xC8\xFD\r\n2\xB0\xE0\t\xC0\xEE\xCB\xC4\r\n";
    sendRoster(roster, receiver.exchange, receiver.endpoint, [](const Text&) { FAIL(); });
    ASSERT_TRUE(run.finish());
    EXPECT_EQ(run.process.exitCode(), 0);
    EXPECT_EQ(run.process.readAllStandardOutput().toStdString(),
              "1\xE7\x8F\xAD\t\xE5\xBC\xA0\xE4\xB8\x89\n2\xE7\x8F\xAD\t\xE6\x9D\x8E\xE5\x9B\x9B\n");
}

TEST(Sender, FailsClearlyWithoutAStackTrace) {
    QTcpServer closed;
    ASSERT_TRUE(closed.listen(QHostAddress::LocalHost, 0));
    const QString refusedPort = QString::number(closed.serverPort());
    closed.close();
    struct FailureCase {
        const char* name;
        QStringList arguments;
        const char* says;
        int exitCode;
    };
    const std::vector<FailureCase> cases = {
        {"refused connection",
         {QStringLiteral("--port"), refusedPort, QStringLiteral(VELTRANO_SEND)},
         "connection refused",
         1},
        {"unreadable file",
         {QStringLiteral("/no/such/file.jpg")},
         "cannot read /no/such/file.jpg",
         1},
        {"no files", {}, "name at least one file", 2},
        {"bad port",
         {QStringLiteral("--port"), QStringLiteral("70000"), QStringLiteral("x")},
         "--port needs",
         2},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        SenderRun run(c.arguments);
        ASSERT_TRUE(run.finish());
        const QString error = QString::fromLocal8Bit(run.process.readAllStandardError());
        EXPECT_EQ(run.process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.process.exitCode(), c.exitCode);
        EXPECT_TRUE(error.startsWith(QStringLiteral("veltrano-send: "))) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromUtf8(c.says))) << error.toStdString();
        EXPECT_EQ(error.count(QLatin1Char('\n')), 1) << error.toStdString();
    }
}

}  // namespace
}  // namespace veltrano

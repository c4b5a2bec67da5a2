#include <gtest/gtest.h>

#include <QTcpSocket>
#include <memory>
#include <random>
#include <vector>

#include "endpoint/ServerEndpoint.h"
#include "exchange/DiskFileStore.h"
#include "exchange/ExchangeState.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace veltrano {
namespace {

using test::waitUntil;

// A real endpoint on a free loopback port, recording what its events hand out.
struct LoopbackServer {
    LoopbackServer() {
        endpoint.setListenAddress(QHostAddress::LocalHost);
        endpoint.setPort(0);
        EXPECT_TRUE(endpoint.start()) << endpoint.errorString().toStdString();
        QObject::connect(&endpoint, &ServerEndpoint::clientArrived, &endpoint,
                         [this] { addresses.push_back(endpoint.takeClientAddress()); });
        QObject::connect(&endpoint, &ServerEndpoint::dataArrived, &endpoint,
                         [this] { pieces.push_back(endpoint.takeData()); });
    }

    std::unique_ptr<QTcpSocket> connectClient() {
        auto client = std::make_unique<QTcpSocket>();
        client->connectToHost(QHostAddress::LocalHost, endpoint.serverPort());
        const std::size_t before = addresses.size();
        EXPECT_TRUE(waitUntil([&] { return addresses.size() > before; }));
        return client;
    }

    Bytes received() const {
        Bytes all;
        for (const auto& piece : pieces) all += piece;
        return all;
    }

    ServerEndpoint endpoint;
    std::vector<Text> addresses;
    std::vector<Bytes> pieces;
};

// Connections were held without bound: a flood of idle ones used up the descriptors and locked
// the phone out.
TEST(ServerEndpoint, PastItsBoundEachNewConnectionTakesTheLongestSilentOnesPlace) {
    LoopbackServer server;
    std::size_t departed = 0;
    QObject::connect(&server.endpoint, &ServerEndpoint::clientDeparted, &server.endpoint,
                     [&departed] { ++departed; });
    auto phone = server.connectClient();
    phone->write("STAT||a.jpg");
    ASSERT_TRUE(waitUntil([&] { return !server.pieces.empty(); }));

    constexpr std::size_t kExtra = 20;
    std::vector<std::unique_ptr<QTcpSocket>> silent;
    for (std::size_t i = 0; i < ConnectionEvents::kMaxConnections + kExtra; ++i) {
        silent.push_back(server.connectClient());
    }
    EXPECT_EQ(departed, kExtra + 1);
    // The first silent ones went; the phone, silent longer but announced, stayed.
    for (std::size_t i = 0; i <= kExtra; ++i) {
        EXPECT_TRUE(waitUntil([&] {
            return silent[i]->state() == QAbstractSocket::UnconnectedState;
        })) << i;
    }
    EXPECT_EQ(silent[kExtra + 1]->state(), QAbstractSocket::ConnectedState);
    phone->write("photo");
    EXPECT_TRUE(waitUntil([&] { return server.received() == "STAT||a.jpgphoto"; }));
}

TEST(ServerEndpoint, NamesEachClientAndDeliversItsBytesInBoundedPieces) {
    LoopbackServer server;
    auto client = server.connectClient();
    EXPECT_EQ(server.addresses.back(), "127.0.0.1:" + std::to_string(client->localPort()));

    Bytes sent(300 * 1024, '\0');
    std::mt19937 random(7);
    for (auto& byte : sent) byte = static_cast<char>(random());
    client->write(sent.data(), qint64(sent.size()));
    ASSERT_TRUE(waitUntil([&] { return server.received().size() == sent.size(); }));
    EXPECT_EQ(server.received(), sent);
    for (const auto& piece : server.pieces) {
        EXPECT_LE(piece.size(), std::size_t(ServerEndpoint::kReadChunkBytes));
    }
}

TEST(ServerEndpoint, SendsToTheNamedClientAndQuietlyToNoneThatIsGone) {
    LoopbackServer server;
    auto first = server.connectClient();
    auto second = server.connectClient();
    const Text firstAddress = server.addresses[0];

    server.endpoint.sendData(server.addresses[1], "to second");
    ASSERT_TRUE(waitUntil([&] { return second->bytesAvailable() >= 9; }));
    EXPECT_EQ(second->readAll(), QByteArray("to second"));

    first->disconnectFromHost();
    first.reset();
    // The server's socket goes away once it sees the close; sending to it must stay quiet.
    ASSERT_TRUE(waitUntil([&] {
        server.endpoint.sendData(firstAddress, "late");
        return server.endpoint.findChildren<QTcpSocket*>().size() == 1;
    }));
    server.endpoint.sendData(firstAddress, "late");
    server.endpoint.sendData("never a client", "x");
    server.endpoint.sendData("", "x");

    server.endpoint.sendData(server.addresses[1], "still here");
    ASSERT_TRUE(waitUntil([&] { return second->bytesAvailable() >= 10; }));
    EXPECT_EQ(second->readAll(), QByteArray("still here"));
}

TEST(ServerEndpoint, ReportsAPortThatIsTaken) {
    LoopbackServer server;
    ServerEndpoint second;
    second.setListenAddress(QHostAddress::LocalHost);
    second.setPort(server.endpoint.serverPort());
    EXPECT_FALSE(second.start());
    EXPECT_TRUE(second.addressInUse());
    EXPECT_FALSE(second.errorString().isEmpty());
}

TEST(ServerEndpoint, AFileSentInPiecesArrivesByteForByte) {
    test::TempDir dir;
    ServerEndpoint endpoint;
    endpoint.setListenAddress(QHostAddress::LocalHost);
    endpoint.setPort(0);
    ASSERT_TRUE(endpoint.start());
    DiskFileStore files;
    ExchangeState exchange(endpoint, files, {[&] { return dir.path().string(); }, {}, {}});

    QTcpSocket client;
    client.connectToHost(QHostAddress::LocalHost, endpoint.serverPort());
    ASSERT_TRUE(client.waitForConnected(5000));
    // Each marker must arrive as a message of its own: wait for the receiver to act on it.
    client.write("STAT||photo%20%E5%BC%A0.jpg");
    ASSERT_TRUE(waitUntil([&] { return exchange.receivedCount() == 1; }));

    Bytes content(3 * 1024 * 1024 + 17, '\0');
    std::mt19937 random(11);
    for (auto& byte : content) byte = static_cast<char>(random() % 256);
    const auto stored = dir.path() / "photo \xE5\xBC\xA0.jpg";
    for (std::size_t offset = 0; offset < content.size(); offset += 40000) {
        const auto piece = content.substr(offset, 40000);
        client.write(piece.data(), qint64(piece.size()));
    }
    ASSERT_TRUE(waitUntil([&] {
        return std::filesystem::exists(stored) &&
               std::filesystem::file_size(stored) == content.size();
    }));
    client.write("END||");
    client.disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] { return endpoint.findChildren<QTcpSocket*>().isEmpty(); }));
    EXPECT_EQ(test::readFile(stored), content);
    EXPECT_EQ(exchange.receivedCount(), 1);
}

}  // namespace
}  // namespace veltrano

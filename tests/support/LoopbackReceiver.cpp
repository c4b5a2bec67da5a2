#include "tests/support/LoopbackReceiver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/WaitUntil.h"

namespace veltrano::test {

LoopbackReceiver::LoopbackReceiver()
    : exchange(counting, files,
               {[this] { return directory_.string(); },
                {},
                [this](const FileProblem& problem) { problems.push_back(problem); }}),
      directory_(inbox.path()) {
    endpoint.setListenAddress(QHostAddress::LocalHost);
    endpoint.setPort(0);
    EXPECT_TRUE(endpoint.start()) << endpoint.errorString().toStdString();
    QObject::connect(&endpoint, &ServerEndpoint::clientArrived, &endpoint, [this] {
        exchange.onClientArrived();
        ++clientsArrived;
    });
    // Counted once the receiver has handled the message.
    QObject::connect(&endpoint, &ServerEndpoint::dataArrived, &endpoint, [this] {
        exchange.onDataArrived();
        ++messagesHandled;
    });
}

std::unique_ptr<QTcpSocket> LoopbackReceiver::connectPhone() {
    auto phone = std::make_unique<QTcpSocket>();
    const std::size_t before = clientsArrived;
    phone->connectToHost(QHostAddress::LocalHost, port());
    EXPECT_TRUE(waitUntil([&] { return clientsArrived > before; }));
    return phone;
}

void LoopbackReceiver::send(QTcpSocket& phone, const QByteArray& message) {
    bytesSent_ = std::max(bytesSent_, counting.bytesTaken) + std::uint64_t(message.size());
    const std::size_t before = messagesHandled;
    phone.write(message);
    EXPECT_TRUE(
        waitUntil([&] { return messagesHandled > before && counting.bytesTaken >= bytesSent_; }));
}

}  // namespace veltrano::test

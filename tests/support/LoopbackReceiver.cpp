#include "tests/support/LoopbackReceiver.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "tests/support/WaitUntil.h"

namespace veltrano::test {

LoopbackReceiver::LoopbackReceiver()
    : exchange(endpoint, files,
               {[this] { return directoryText(directory_); },
                {},
                [this](const FileProblem& problem) { problems.push_back(problem); }}),
      directory_(inbox.path()) {
    endpoint.setListenAddress(QHostAddress::LocalHost);
    endpoint.setPort(0);
    EXPECT_TRUE(endpoint.start()) << endpoint.errorString().toStdString();
    // Counted once the receiver has handled the arrival.
    QObject::connect(&endpoint, &ServerEndpoint::clientArrived, &endpoint,
                     [this] { ++clientsArrived; });
}

std::unique_ptr<QTcpSocket> LoopbackReceiver::connectPhone() {
    auto phone = std::make_unique<QTcpSocket>();
    const std::size_t before = clientsArrived;
    phone->connectToHost(QHostAddress::LocalHost, port());
    EXPECT_TRUE(waitUntil([&] { return clientsArrived > before; }));
    return phone;
}

void LoopbackReceiver::send(QTcpSocket& phone, const QByteArray& message) {
    bytesSent_ = std::max(bytesSent_, endpoint.bytesRead()) + std::uint64_t(message.size());
    phone.write(message);
    // Pieces are handled as they are read, but for what the endpoint holds back for a moment.
    EXPECT_TRUE(
        waitUntil([&] { return endpoint.bytesRead() >= bytesSent_ && !endpoint.holdingBytes(); }));
}

}  // namespace veltrano::test

#pragma once

#include <QTcpSocket>
#include <filesystem>
#include <memory>
#include <vector>

#include "endpoint/ServerEndpoint.h"
#include "exchange/DiskFileStore.h"
#include "exchange/ExchangeState.h"
#include "tests/support/TempDir.h"

namespace veltrano::test {

// The program's endpoint and receiver on a free loopback port, storing into a fresh directory
// (or another one set with `setDirectory`), recording the problems it reports.
class LoopbackReceiver {
public:
    LoopbackReceiver();

    quint16 port() const { return endpoint.serverPort(); }

    // Connects a phone and waits until the receiver has seen it arrive.
    std::unique_ptr<QTcpSocket> connectPhone();

    // Sends one message and waits until the receiver has handled all of it (and everything sent
    // before), as the phone's pauses ensure.
    void send(QTcpSocket& phone, const QByteArray& message);

    std::filesystem::path directory() const { return directory_; }
    void setDirectory(const std::filesystem::path& directory) { directory_ = directory; }

    TempDir inbox;
    ServerEndpoint endpoint;
    DiskFileStore files;
    ExchangeState exchange;
    std::vector<FileProblem> problems;
    std::size_t clientsArrived = 0;

private:
    std::filesystem::path directory_;
    std::uint64_t bytesSent_ = 0;
};

}  // namespace veltrano::test

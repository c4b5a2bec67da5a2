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

// Passes everything through to the real endpoint, counting the bytes the receiver takes.
class CountingEndpoint final : public Endpoint {
public:
    explicit CountingEndpoint(Endpoint& inner) : inner_(inner) {}
    Text takeClientAddress() override { return inner_.takeClientAddress(); }
    Bytes takeData() override {
        Bytes data = inner_.takeData();
        bytesTaken += data.size();
        return data;
    }
    void sendData(const Text& address, const Bytes& data) override {
        inner_.sendData(address, data);
    }

    std::uint64_t bytesTaken = 0;

private:
    Endpoint& inner_;
};

// The program's endpoint and receiver on a free loopback port, storing into a fresh directory
// (or another one set with `setDirectory`), recording the problems it reports.
class LoopbackReceiver {
public:
    LoopbackReceiver();

    quint16 port() const { return endpoint.serverPort(); }

    // Connects a phone and waits until the receiver has seen it arrive.
    std::unique_ptr<QTcpSocket> connectPhone();

    // Sends one message and waits until the receiver has taken all of it (and everything sent
    // before), as the phone's pauses ensure.
    void send(QTcpSocket& phone, const QByteArray& message);
    std::uint64_t bytesTaken() const { return counting.bytesTaken; }

    std::filesystem::path directory() const { return directory_; }
    void setDirectory(const std::filesystem::path& directory) { directory_ = directory; }

    TempDir inbox;
    ServerEndpoint endpoint;
    CountingEndpoint counting{endpoint};
    DiskFileStore files;
    ExchangeState exchange;
    std::vector<FileProblem> problems;
    std::size_t clientsArrived = 0;
    std::size_t messagesHandled = 0;

private:
    std::filesystem::path directory_;
    std::uint64_t bytesSent_ = 0;
};

}  // namespace veltrano::test

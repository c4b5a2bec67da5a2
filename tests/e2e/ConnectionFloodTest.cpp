#include <gtest/gtest.h>

#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QTcpSocket>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "tests/e2e/RunningProgram.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitUntil.h"

namespace {

using veltrano::test::connectWhenListening;
using veltrano::test::kExchangePort;
using veltrano::test::RunningProgram;
using veltrano::test::waitUntil;

// Connections waiting in the exchange port's listen queue for the program to accept them.
long acceptQueueLength() {
    long waiting = 0;
    for (const char* table : {"/proc/net/tcp", "/proc/net/tcp6"}) {
        std::ifstream in(table);
        std::string line;
        std::getline(in, line);
        while (std::getline(in, line)) {
            std::istringstream fields(line);
            std::string slot, local, remote, state, queues;
            fields >> slot >> local >> remote >> state >> queues;
            const unsigned long port = std::stoul(local.substr(local.find(':') + 1), nullptr, 16);
            // A listening socket's receive queue is its queue of connections to accept.
            if (state == "0A" && port == kExchangePort) {
                waiting += std::stol(queues.substr(queues.find(':') + 1), nullptr, 16);
            }
        }
    }
    return waiting;
}

// Connections that connect and then say nothing, as a scan or a flood leaves them. They come in
// batches the program has time to accept, as they do from the network; a program that stops
// accepting leaves them queued.
class IdleConnections {
public:
    explicit IdleConnections(int count) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(kExchangePort);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        constexpr int kBatch = 32;
        for (int i = 0; i < count; ++i) {
            const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            if (fd < 0) break;
            ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
            fds_.push_back(fd);
            if (i % kBatch == kBatch - 1) waitUntil([] { return acceptQueueLength() == 0; }, 1000);
        }
    }
    ~IdleConnections() {
        for (const int fd : fds_) ::close(fd);
    }
    std::size_t size() const { return fds_.size(); }

private:
    std::vector<int> fds_;
};

// Under the usual limit of 1024 descriptors, 1060 idle connections kept a phone's file from
// arriving, and when they closed the queued bytes became a wrong file with garbage in it.
TEST(Program, APhoneGetsThroughMoreIdleConnectionsThanItHasDescriptors) {
    constexpr int kIdle = 1060;
    rlimit own{};
    ASSERT_EQ(::getrlimit(RLIMIT_NOFILE, &own), 0);
    if (own.rlim_cur < 2 * kIdle) {
        own.rlim_cur = std::min<rlim_t>(own.rlim_max, 4 * kIdle);
        ::setrlimit(RLIMIT_NOFILE, &own);
    }
    if (own.rlim_cur < 2 * kIdle) GTEST_SKIP() << "the test itself needs more descriptors";

    struct Case {
        const char* name;
        unsigned long descriptors;
    };
    // The usual limit, where the bound on connections keeps clear of it, and one low enough to
    // run short of descriptors first.
    const std::vector<Case> cases = {{"limit 1024", 1024}, {"limit 128", 128}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_TRUE(veltrano::test::exchangePortIsFree())
            << "port 3456 is in use: stop whatever holds it and run again";
        veltrano::test::TempDir home;
        RunningProgram program(home.path(), /*withDisplay=*/false, {}, c.descriptors);
        ASSERT_TRUE(program.process().waitForStarted(10000));
        {
            QTcpSocket probe;
            ASSERT_TRUE(connectWhenListening(probe));
        }
        IdleConnections idle(kIdle);
        ASSERT_EQ(idle.size(), std::size_t(kIdle));

        QTcpSocket phone;
        phone.connectToHost(QHostAddress::LocalHost, kExchangePort);
        std::string photo(200000, '\0');
        std::mt19937 random(5);
        for (auto& byte : photo) byte = static_cast<char>(random());
        phone.write("STAT||phone.jpg");
        // The phone pauses after its announcement; here until the program has taken it.
        const auto stored = home.path() / "phone.jpg";
        ASSERT_TRUE(waitUntil([&] { return std::filesystem::exists(stored); }, 30000));
        phone.write(photo.data(), qint64(photo.size()));
        EXPECT_TRUE(
            waitUntil([&] { return std::filesystem::file_size(stored) == photo.size(); }, 30000));
        EXPECT_EQ(program.process().state(), QProcess::Running);
        EXPECT_EQ(veltrano::test::readFile(stored), photo);
        EXPECT_EQ(veltrano::test::filesIn(home.path()).size(), 1u);
    }
}

}  // namespace

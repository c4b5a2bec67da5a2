#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <thread>

#include "tests/support/LoopbackReceiver.h"
#include "tests/support/WaitUntil.h"

namespace veltrano {
namespace {

using test::waitUntil;

std::uintmax_t sizeOf(const std::filesystem::path& path) {
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    return error ? 0 : size;
}

TEST(ClientFaults, ADisconnectMidFileKeepsEveryByteAndTheNextPhoneIsServed) {
    test::LoopbackReceiver receiver;
    auto phone = receiver.connectPhone();
    receiver.send(*phone, "STAT||half.jpg");
    const std::string sent(300000, 'x');
    phone->write(sent.data(), qint64(sent.size()));
    ASSERT_TRUE(
        waitUntil([&] { return sizeOf(receiver.inbox.path() / "half.jpg") == sent.size(); }));
    phone->abort();  // gone without a goodbye

    auto next = receiver.connectPhone();
    receiver.send(*next, "STAT||next.jpg");
    receiver.send(*next, "second phone");
    EXPECT_EQ(test::readFile(receiver.inbox.path() / "half.jpg"), sent);
    EXPECT_EQ(test::readFile(receiver.inbox.path() / "next.jpg"), "second phone");
}

// A plain blocking client on its own thread, so the load does not run on the event loop it tests.
int connectTo(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

TEST(ClientFaults, TwoHundredPhonesAtOnceAreAllServedWhileTheLoopKeepsAnswering) {
    constexpr int kPhones = 200;
    constexpr std::size_t kBytesEach = 64 * 1024;
    test::LoopbackReceiver receiver;
    auto first = receiver.connectPhone();
    receiver.send(*first, "STAT||load.bin");

    // A timer that should fire every 10 ms; how late it gets shows how long the loop was held.
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0, worstDelay = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, &ticker, [&] {
        worstDelay = std::max(worstDelay, clock.elapsed() - last - 10);
        last = clock.elapsed();
    });
    ticker.start(10);
    last = clock.elapsed();

    std::atomic<int> connected{0}, failed{0};
    std::thread load([&] {
        std::vector<int> sockets;
        for (int i = 0; i < kPhones; ++i) {
            const int fd = connectTo(receiver.port());
            if (fd < 0) {
                ++failed;
                continue;
            }
            sockets.push_back(fd);
            ++connected;
        }
        // Every phone sends while all of them are connected; bytes a..z hold no marker.
        std::string piece(kBytesEach, '\0');
        for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = char('a' + i % 26);
        for (const int fd : sockets) {
            for (std::size_t sent = 0; sent < piece.size();) {
                const ssize_t n =
                    ::send(fd, piece.data() + sent, piece.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += std::size_t(n);
            }
        }
        for (const int fd : sockets) ::close(fd);
    });
    const auto stored = receiver.inbox.path() / "load.bin";
    const bool allArrived =
        waitUntil([&] { return sizeOf(stored) == kPhones * kBytesEach; }, 60000);
    load.join();
    ticker.stop();

    EXPECT_EQ(failed, 0);
    EXPECT_EQ(receiver.clientsArrived, std::size_t(kPhones + 1));
    EXPECT_TRUE(allArrived) << sizeOf(stored) << " of " << kPhones * kBytesEach << " bytes";
    RecordProperty("worst_timer_delay_ms", int(worstDelay));
    std::printf("worst timer delay under load: %lld ms\n", static_cast<long long>(worstDelay));
}

double residentMiB(const char* field) {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind(field, 0) == 0) return std::stod(line.substr(std::strlen(field))) / 1024.0;
    }
    return 0;
}

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

TEST(ClientFaults, StreamingAGibibyteWithoutZeroBytesKeepsMemoryFlat) {
    // The sanitizers' own bookkeeping grows with use, so there only a smaller stream is checked
    // for correctness.
    const std::uint64_t total = kSanitized ? (std::uint64_t{64} << 20) : (std::uint64_t{1} << 30);
    test::LoopbackReceiver receiver;
    auto phone = receiver.connectPhone();
    receiver.send(*phone, "STAT||stream.bin");
    const int fd = connectTo(receiver.port());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(waitUntil([&] { return receiver.clientsArrived == 2; }));

    const double before = residentMiB("VmRSS:");
    std::thread sender([&] {
        std::string piece(256 * 1024, '\0');
        for (std::size_t i = 0; i < piece.size(); ++i) piece[i] = char(1 + (i * 131) % 255);
        for (std::uint64_t sent = 0; sent < total;) {
            const std::size_t size =
                std::size_t(std::min<std::uint64_t>(piece.size(), total - sent));
            const ssize_t n = ::send(fd, piece.data(), size, MSG_NOSIGNAL);
            if (n <= 0) break;
            sent += std::uint64_t(n);
        }
    });
    const auto stored = receiver.inbox.path() / "stream.bin";
    const bool complete = waitUntil([&] { return sizeOf(stored) == total; }, 300000);
    sender.join();
    ::close(fd);
    const double peak = residentMiB("VmHWM:");
    EXPECT_TRUE(complete) << sizeOf(stored) << " of " << total << " bytes";
    std::printf("resident memory: %.1f MiB before, %.1f MiB peak while streaming %llu MiB\n",
                before, peak, static_cast<unsigned long long>(total >> 20));
    if (!kSanitized) {
        EXPECT_LT(peak - before, 64.0);
    }
    std::filesystem::remove(stored);
}

}  // namespace
}  // namespace veltrano

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <algorithm>
#include <atomic>
#include <fstream>
#include <map>
#include <random>
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

// Two phones sending at once, and a stray client (a probe, a scanner) beside them: their bytes
// used to run into one file.
TEST(ClientFaults, PhonesSendingAtOnceAndAStrayClientEachKeepToTheirOwnFile) {
    test::LoopbackReceiver receiver;
    auto first = receiver.connectPhone();
    auto second = receiver.connectPhone();
    auto stray = receiver.connectPhone();
    std::mt19937 random(8);
    std::string one(400'000, '\0'), two(300'000, '\0');
    for (auto* photo : {&one, &two}) {
        for (auto& byte : *photo) byte = static_cast<char>(random());
        photo->replace(0, 2, "\xFF\xD8");
    }
    first->write("STAT||one.jpg");
    second->write("STAT||two.jpg");
    stray->write("GET / HTTP/1.1\r\nHost: x\r\n\r\n");
    for (std::size_t offset = 0; offset < one.size(); offset += 10'000) {
        first->write(one.data() + offset,
                     qint64(std::min<std::size_t>(10'000, one.size() - offset)));
        if (offset < two.size()) {
            second->write(two.data() + offset,
                          qint64(std::min<std::size_t>(10'000, two.size() - offset)));
        }
        stray->write("\x01junk\x00", 6);
        QCoreApplication::processEvents();
    }
    first->write("END||");
    second->write("END||");
    first->disconnectFromHost();
    second->disconnectFromHost();
    ASSERT_TRUE(waitUntil([&] {
        return sizeOf(receiver.inbox.path() / "one.jpg") == one.size() &&
               sizeOf(receiver.inbox.path() / "two.jpg") == two.size();
    }));
    EXPECT_EQ(test::filesIn(receiver.inbox.path()),
              (std::map<std::string, std::string>{{"one.jpg", one}, {"two.jpg", two}}));
    EXPECT_EQ(receiver.exchange.receivedCount(), 2);
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
        // Every phone sends its own file while all of them are connected, its name and its bytes
        // in one go; bytes a..z after a JPEG's first marker hold no marker of the exchange.
        std::string content(kBytesEach, '\0');
        for (std::size_t i = 0; i < content.size(); ++i) content[i] = char('a' + i % 26);
        content.replace(0, 2, "\xFF\xD8");
        for (std::size_t index = 0; index < sockets.size(); ++index) {
            const int fd = sockets[index];
            const std::string piece = "STAT||phone" + std::to_string(index) + ".bin" + content;
            for (std::size_t sent = 0; sent < piece.size();) {
                const ssize_t n =
                    ::send(fd, piece.data() + sent, piece.size() - sent, MSG_NOSIGNAL);
                if (n <= 0) break;
                sent += std::size_t(n);
            }
        }
        for (const int fd : sockets) ::close(fd);
    });
    const auto storedBytes = [&] {
        std::uintmax_t total = 0;
        for (int index = 0; index < kPhones; ++index) {
            total += sizeOf(receiver.inbox.path() / ("phone" + std::to_string(index) + ".bin"));
        }
        return total;
    };
    const bool allArrived = waitUntil([&] { return storedBytes() == kPhones * kBytesEach; }, 60000);
    load.join();
    ticker.stop();

    EXPECT_EQ(failed, 0);
    EXPECT_EQ(receiver.clientsArrived, std::size_t(kPhones));
    EXPECT_TRUE(allArrived) << storedBytes() << " of " << kPhones * kBytesEach << " bytes";
    EXPECT_EQ(test::filesIn(receiver.inbox.path()).size(), std::size_t(kPhones));
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
    const int fd = connectTo(receiver.port());
    ASSERT_GE(fd, 0);
    ASSERT_TRUE(waitUntil([&] { return receiver.clientsArrived == 1; }));
    // No byte of the stream holds a marker (no two bytes in a row are alike), so after its name
    // the whole gibibyte is one file's content.
    ASSERT_EQ(::send(fd, "STAT||stream.bin", 16, MSG_NOSIGNAL), 16);

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

// Receive benchmark on loopback: the program's own endpoint and receiver (the classes the window
// uses, run headless) against a plain blocking accept/recv/write loop of 64 KiB, and against socat
// with a 1 MiB buffer where it is installed, this machine's limit for storing a TCP stream in a
// file. Candidates alternate round by round; medians and ratios are printed.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QEventLoop>
#include <QHostAddress>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "endpoint/ServerEndpoint.h"
#include "exchange/DiskFileStore.h"
#include "exchange/ExchangeState.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr std::size_t kPiece = 64 * 1024;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Photo-like bytes: random, or random without any zero (every piece is then decoded and
// converted whole). They are made once and sent over and over from varying offsets, so that making
// them costs the sender nothing during the run; the buffer adds its size to the peak memory shown.
class ByteSource {
public:
    static constexpr std::size_t kBufferBytes = 8 << 20;

    ByteSource(std::uint64_t seed, bool allowZero) : buffer_(kBufferBytes + kPiece) {
        std::uint64_t state = seed | 1;
        for (auto& byte : buffer_) {
            state ^= state << 13;
            state ^= state >> 7;
            state ^= state << 17;
            byte = static_cast<char>(state >> 24);
            if (!allowZero && byte == 0) byte = 1;
        }
    }
    // The next `size` bytes (at most one piece).
    const char* next(std::size_t size) {
        const char* piece = buffer_.data() + offset_;
        offset_ = (offset_ + size + 4099) % kBufferBytes;
        return piece;
    }

private:
    std::vector<char> buffer_;
    std::size_t offset_ = 0;
};

int connectLoopback(quint16 port) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    for (int attempt = 0; attempt < 500; ++attempt) {
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
            const int one = 1;
            ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            return fd;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    std::perror("connect");
    std::exit(1);
}

void sendAll(int fd, const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t sent = ::send(fd, data, size, MSG_NOSIGNAL);
        if (sent <= 0) {
            std::perror("send");
            std::exit(1);
        }
        data += sent;
        size -= std::size_t(sent);
    }
}

void sendContent(int fd, std::uint64_t bytes, ByteSource& source) {
    for (std::uint64_t done = 0; done < bytes;) {
        const std::size_t size = std::size_t(std::min<std::uint64_t>(kPiece, bytes - done));
        sendAll(fd, source.next(size), size);
        done += size;
    }
}

// Peak resident memory since the last reset, in MiB.
void resetPeakMemory() {
    std::ofstream("/proc/self/clear_refs") << "5";
}
double peakMemoryMiB() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::stod(line.substr(6)) / 1024.0;
    }
    return 0;
}

template <typename Condition>
void spinUntil(Condition condition) {
    while (!condition()) std::this_thread::sleep_for(std::chrono::microseconds(20));
}

struct Result {
    double seconds = 0;
    double peakMiB = 0;
    std::vector<double> fileSeconds;  // per file, for the many-files case
};

// Hands the endpoint's data on, counting the bytes the receiver has taken.
class CountingEndpoint final : public veltrano::Endpoint {
public:
    explicit CountingEndpoint(veltrano::Endpoint& inner) : inner_(inner) {}
    veltrano::Text takeClientAddress() override { return inner_.takeClientAddress(); }
    veltrano::Bytes takeData() override {
        veltrano::Bytes data = inner_.takeData();
        taken += data.size();
        return data;
    }
    void setListener(veltrano::EndpointListener* listener) override {
        inner_.setListener(listener);
    }
    veltrano::ConnectionId eventConnection() const override { return inner_.eventConnection(); }
    bool sendData(const veltrano::Text& address, const veltrano::Bytes& data) override {
        return inner_.sendData(address, data);
    }
    std::atomic<std::uint64_t> taken{0};

private:
    veltrano::Endpoint& inner_;
};

// The program's receiver: endpoint and exchange state on this thread's event loop, the phone on
// another thread. The phone sends each file's name and bytes without a pause (the receiver finds
// the markers in the stream), each file starting as a JPEG does; it waits for each end marker to
// be taken, so that a file's time is the receiver's.
Result runVeltrano(const fs::path& directory, int files, std::uint64_t bytesPerFile,
                   bool allowZero) {
    veltrano::ServerEndpoint endpoint;
    endpoint.setListenAddress(QHostAddress::LocalHost);
    endpoint.setPort(0);
    if (!endpoint.start()) std::exit(1);
    CountingEndpoint counting(endpoint);
    veltrano::DiskFileStore store;
    veltrano::ExchangeState exchange(counting, store, {[&] { return directory.string(); }, {}, {}});
    QEventLoop loop;
    ByteSource source(42, allowZero);
    Result result;
    resetPeakMemory();
    const auto start = Clock::now();
    std::thread phone([&] {
        const int fd = connectLoopback(endpoint.serverPort());
        std::uint64_t sent = 0;
        const auto sendText = [&](const std::string& text) {
            sendAll(fd, text.data(), text.size());
            sent += text.size();
        };
        for (int i = 0; i < files; ++i) {
            const auto fileStart = Clock::now();
            sendText("STAT||f" + std::to_string(i) + ".jpg\xFF\xD8");
            sendContent(fd, bytesPerFile - 2, source);
            sent += bytesPerFile - 2;
            sendText("END||");
            spinUntil([&] { return counting.taken == sent; });
            result.fileSeconds.push_back(secondsSince(fileStart));
        }
        ::close(fd);
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    loop.exec();
    phone.join();
    result.seconds = secondsSince(start);
    result.peakMiB = peakMemoryMiB();
    if (exchange.receivedCount() != files) {
        std::fprintf(stderr, "the receiver counted %d files of %d\n", exchange.receivedCount(),
                     files);
        std::exit(1);
    }
    return result;
}

// The baseline: blocking accept, recv into a 64 KiB buffer, write to the file; one connection
// per file.
Result runBaseline(const fs::path& directory, int files, std::uint64_t bytesPerFile,
                   bool allowZero) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    const int one = 1;
    ::setsockopt(listener, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listener, 16) != 0 ||
        ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::perror("listen");
        std::exit(1);
    }
    const quint16 port = ntohs(address.sin_port);
    ByteSource source(42, allowZero);
    Result result;
    resetPeakMemory();
    const auto start = Clock::now();
    std::atomic<int> stored{0};
    std::thread server([&] {
        std::vector<char> buffer(kPiece);
        for (int i = 0; i < files; ++i) {
            const int connection = ::accept(listener, nullptr, nullptr);
            const std::string path = (directory / ("f" + std::to_string(i) + ".jpg")).string();
            std::FILE* file = std::fopen(path.c_str(), "wb");
            for (ssize_t got; (got = ::recv(connection, buffer.data(), buffer.size(), 0)) > 0;) {
                std::fwrite(buffer.data(), 1, std::size_t(got), file);
                std::fflush(file);
            }
            std::fclose(file);
            ::close(connection);
            ++stored;
        }
    });
    for (int i = 0; i < files; ++i) {
        const auto fileStart = Clock::now();
        const int fd = connectLoopback(port);
        sendContent(fd, bytesPerFile, source);
        ::close(fd);
        spinUntil([&] { return stored == i + 1; });
        result.fileSeconds.push_back(secondsSince(fileStart));
    }
    server.join();
    ::close(listener);
    result.seconds = secondsSince(start);
    result.peakMiB = peakMemoryMiB();
    return result;
}

// A loopback port nobody listens on now, for a program that takes its port on the command line.
quint16 freePort() {
    const int probe = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    ::bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address);
    ::getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(probe);
    return ntohs(address.sin_port);
}

bool socatInstalled() {
    return std::system("command -v socat >/dev/null 2>&1") == 0;
}

// socat storing one connection's stream in a file, reading and writing up to 1 MiB at a time: what
// a plain copy from socket to file achieves here.
Result runSocat(const fs::path& directory, std::uint64_t bytes, bool allowZero, quint16 port) {
    const std::string target = (directory / "f0.jpg").string();
    const pid_t child = ::fork();
    if (child == 0) {
        const std::string listen =
            "TCP4-LISTEN:" + std::to_string(port) + ",bind=127.0.0.1,reuseaddr";
        const std::string open = "OPEN:" + target + ",creat,trunc";
        ::execlp("socat", "socat", "-u", "-b1048576", listen.c_str(), open.c_str(), nullptr);
        std::_Exit(127);
    }
    Result result;
    ByteSource source(42, allowZero);
    const int fd = connectLoopback(port);
    const auto start = Clock::now();
    sendContent(fd, bytes, source);
    ::close(fd);
    int status = 0;
    ::waitpid(child, &status, 0);
    result.seconds = secondsSince(start);
    return result;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

struct Options {
    std::uint64_t sizeMiB = 1024;
    int rounds = 3;
    int manyFiles = 5000;
    fs::path directory = fs::temp_directory_path();
    int only = 0;  // run just this case, 0 for all
};

void streamCase(const char* title, bool allowZero, const Options& options) {
    const std::uint64_t bytes = options.sizeMiB << 20;
    const bool withSocat = socatInstalled();
    std::vector<double> veltrano, baseline, socat, veltranoPeak, baselinePeak;
    for (int round = 0; round < options.rounds; ++round) {
        const fs::path dir = options.directory / ("veltrano-bench-" + std::to_string(::getpid()));
        for (int candidate = 0; candidate < 3; ++candidate) {
            fs::remove_all(dir);
            fs::create_directories(dir);
            ::sync();  // each run starts with nothing left for the disk to write
            // Alternate which candidate goes first, so neither always meets a warm or cold cache.
            switch ((candidate + round) % 3) {
                case 0: {
                    const Result r = runVeltrano(dir, 1, bytes, allowZero);
                    veltrano.push_back(r.seconds);
                    veltranoPeak.push_back(r.peakMiB);
                    break;
                }
                case 1: {
                    const Result r = runBaseline(dir, 1, bytes, allowZero);
                    baseline.push_back(r.seconds);
                    baselinePeak.push_back(r.peakMiB);
                    break;
                }
                case 2:
                    if (withSocat)
                        socat.push_back(runSocat(dir, bytes, allowZero, freePort()).seconds);
                    break;
            }
        }
        fs::remove_all(dir);
    }
    const double mb = double(bytes) / 1e6;
    const double base = median(baseline);
    // Ratios are speeds against the baseline's and, where socat is installed, against socat's.
    const auto versusSocat = [&](double seconds) {
        return withSocat ? median(socat) / seconds : 0.0;
    };
    std::printf("\n%s (%llu MiB, %d rounds, medians)\n", title,
                static_cast<unsigned long long>(options.sizeMiB), options.rounds);
    std::printf("  %-12s %6.2f s %8.1f MB/s  ratio %.2f  to socat %.2f  peak RSS %.1f MiB\n",
                "baseline", base, mb / base, 1.0, versusSocat(base), median(baselinePeak));
    std::printf("  %-12s %6.2f s %8.1f MB/s  ratio %.2f  to socat %.2f  peak RSS %.1f MiB\n",
                "veltrano", median(veltrano), mb / median(veltrano), base / median(veltrano),
                versusSocat(median(veltrano)), median(veltranoPeak));
    if (withSocat) {
        std::printf("  %-12s %6.2f s %8.1f MB/s  ratio %.2f\n", "socat -b 1M", median(socat),
                    mb / median(socat), base / median(socat));
    }
}

// Files per second over the first and the last `block` files of a run.
std::pair<double, double> blockRates(const std::vector<double>& fileSeconds, int block) {
    double first = 0, last = 0;
    for (int i = 0; i < block; ++i) {
        first += fileSeconds[std::size_t(i)];
        last += fileSeconds[fileSeconds.size() - 1 - std::size_t(i)];
    }
    return {block / first, block / last};
}

void manyFilesCase(const Options& options) {
    constexpr std::uint64_t kFileBytes = 300 * 1000;
    struct Series {
        std::vector<double> rate, first, last, lastOverFirst;
        void add(const Result& r, int files, int block) {
            rate.push_back(files / r.seconds);
            const auto [f, l] = blockRates(r.fileSeconds, block);
            first.push_back(f);
            last.push_back(l);
            lastOverFirst.push_back(l / f);
        }
    } veltrano, baseline;
    const int block = std::max(1, std::min(1000, options.manyFiles / 5));
    for (int round = 0; round < options.rounds; ++round) {
        const fs::path dir = options.directory / ("veltrano-bench-" + std::to_string(::getpid()));
        for (int candidate = 0; candidate < 2; ++candidate) {
            fs::remove_all(dir);
            fs::create_directories(dir);
            ::sync();  // each run starts with nothing left for the disk to write
            if ((candidate + round) % 2 == 0) {
                veltrano.add(runVeltrano(dir, options.manyFiles, kFileBytes, true),
                             options.manyFiles, block);
            } else {
                baseline.add(runBaseline(dir, options.manyFiles, kFileBytes, true),
                             options.manyFiles, block);
            }
        }
        fs::remove_all(dir);
    }
    std::printf("\n3. %d files of 300 KB in a row (%d rounds, medians)\n", options.manyFiles,
                options.rounds);
    for (const auto& [name, series] :
         {std::pair{"baseline", &baseline}, std::pair{"veltrano", &veltrano}}) {
        std::printf(
            "  %-10s %8.1f files/s  ratio %.2f  first %d: %.1f files/s, last %d: %.1f files/s "
            "(last/first %.2f, median of rounds)\n",
            name, median(series->rate), median(series->rate) / median(baseline.rate), block,
            median(series->first), block, median(series->last), median(series->lastOverFirst));
    }
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    Options options;
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string flag = argv[i];
        if (flag == "--size-mib")
            options.sizeMiB = std::stoull(argv[i + 1]);
        else if (flag == "--rounds")
            options.rounds = std::stoi(argv[i + 1]);
        else if (flag == "--files")
            options.manyFiles = std::stoi(argv[i + 1]);
        else if (flag == "--dir")
            options.directory = argv[i + 1];
        else if (flag == "--case")
            options.only = std::stoi(argv[i + 1]);
        else {
            std::fprintf(stderr,
                         "usage: receive_bench [--size-mib N] [--rounds N] [--files N] [--dir DIR] "
                         "[--case 1|2|3]\n");
            return 2;
        }
    }
    std::printf("receive benchmark on loopback, writing under %s\n", options.directory.c_str());
    if (options.only == 0 || options.only == 1)
        streamCase("1. one file of photo-like bytes", true, options);
    if (options.only == 0 || options.only == 2)
        streamCase("2. one file with no zero byte", false, options);
    if (options.only == 0 || options.only == 3) manyFilesCase(options);
    return 0;
}

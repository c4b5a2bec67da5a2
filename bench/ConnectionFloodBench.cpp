// Connection flood benchmark: the real program, started under a limit of 1024 descriptors, is
// given 1060 connections that say nothing. It reports the program's CPU time while they sit idle,
// its descriptors and memory, and how long a phone's 1 MiB file then takes to be stored. It uses
// the exchange port 3456: run it in a network namespace of its own (bench/connection-flood.sh).
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;
constexpr unsigned short kPort = 3456;
constexpr int kIdle = 1060;

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

sockaddr_in exchangeAddress() {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(kPort);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// User plus system time of a process, in seconds.
double cpuSeconds(pid_t pid) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/stat");
    std::string all((std::istreambuf_iterator<char>(in)), {});
    std::istringstream fields(all.substr(all.rfind(')') + 2));
    std::string field;
    unsigned long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && fields >> field; ++i) {
        if (i == 14) utime = std::stoull(field);
        if (i == 15) stime = std::stoull(field);
    }
    return double(utime + stime) / double(::sysconf(_SC_CLK_TCK));
}

long statusKib(pid_t pid, const std::string& name) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind(name + ":", 0) == 0) return std::atol(line.c_str() + name.size() + 1);
    }
    return -1;
}

std::size_t descriptors(pid_t pid) {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry :
         fs::directory_iterator("/proc/" + std::to_string(pid) + "/fd"))
        ++count;
    return count;
}

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
            if (state == "0A" &&
                std::stoul(local.substr(local.find(':') + 1), nullptr, 16) == kPort)
                waiting += std::stol(queues.substr(queues.find(':') + 1), nullptr, 16);
        }
    }
    return waiting;
}

void waitFor(double seconds, const auto& condition) {
    const auto start = Clock::now();
    while (!condition() && secondsSince(start) < seconds)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
}

int connectBlocking() {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    const sockaddr_in address = exchangeAddress();
    if (::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        ::close(fd);
        return -1;
    }
    return fd;
}

void sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return;
        sent += std::size_t(n);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string program = argc > 1 ? argv[1] : VELTRANO_PROGRAM;
    rlimit own{};
    ::getrlimit(RLIMIT_NOFILE, &own);
    own.rlim_cur = own.rlim_max;
    ::setrlimit(RLIMIT_NOFILE, &own);

    const fs::path home =
        fs::temp_directory_path() / ("veltrano-bench-" + std::to_string(::getpid()));
    fs::create_directories(home);
    const pid_t pid = ::fork();
    if (pid == 0) {
        const rlimit limit{1024, 1024};
        ::setrlimit(RLIMIT_NOFILE, &limit);
        ::setenv("HOME", home.c_str(), 1);
        ::unsetenv("DISPLAY");
        ::unsetenv("WAYLAND_DISPLAY");
        std::freopen("/dev/null", "w", stdout);
        ::execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        std::_Exit(127);
    }
    int probe = -1;
    waitFor(10, [&] { return (probe = connectBlocking()) >= 0; });
    if (probe < 0) {
        std::fprintf(stderr, "the program does not listen on port %d\n", kPort);
        ::kill(pid, SIGKILL);
        return 1;
    }
    ::close(probe);

    double before = cpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::seconds(3));
    const double quiet = cpuSeconds(pid) - before;

    std::vector<int> idle;
    const sockaddr_in address = exchangeAddress();
    for (int i = 0; i < kIdle; ++i) {
        const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        idle.push_back(fd);
        if (i % 32 == 31) waitFor(1, [] { return acceptQueueLength() == 0; });
    }
    waitFor(5, [] { return acceptQueueLength() == 0; });
    before = cpuSeconds(pid);
    std::this_thread::sleep_for(std::chrono::seconds(5));
    const double flooded = cpuSeconds(pid) - before;
    const std::size_t held = descriptors(pid);

    const std::string photo(1 << 20, '\xA5');
    const auto start = Clock::now();
    const int phone = connectBlocking();
    sendAll(phone, "STAT||bench.jpg");
    const fs::path stored = home / "bench.jpg";
    waitFor(30, [&] { return fs::exists(stored); });
    sendAll(phone, photo);
    waitFor(30, [&] {
        std::error_code error;
        return fs::file_size(stored, error) == photo.size();
    });
    const double delivered = secondsSince(start);
    std::error_code error;
    const auto size = fs::file_size(stored, error);

    std::printf("idle program: %.2f s of CPU in 3 s\n", quiet);
    std::printf(
        "with %d idle connections: %.2f s of CPU in 5 s, %zu descriptors open, RSS %ld KiB\n",
        kIdle, flooded, held, statusKib(pid, "VmRSS"));
    std::printf("a phone's 1 MiB file: %s after %.2f s\n",
                size == photo.size() ? "stored" : "NOT stored", delivered);

    ::close(phone);
    for (const int fd : idle) ::close(fd);
    ::kill(pid, SIGTERM);
    ::waitpid(pid, nullptr, 0);
    fs::remove_all(home);
    return size == photo.size() ? 0 : 1;
}

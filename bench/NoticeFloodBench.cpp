// Notice flood benchmark: the real main window (offscreen unless a display is named) receives
// start-of-file pieces with refused 64 KB names from a loopback client. While they arrive and
// after, a probe thread asks the window's event loop to answer every 10 ms and records how long
// each answer takes, the way a click waits for the window; the window's memory is read before and
// after.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QApplication>
#include <QHostAddress>
#include <QPlainTextEdit>
#include <QTemporaryDir>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "endpoint/ServerEndpoint.h"
#include "shell/qt/MainWindow.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// A line of /proc/self/status such as VmRSS, in KiB.
long statusKib(const std::string& field) {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0) return std::atol(line.c_str() + field.size() + 1);
    }
    return -1;
}

bool sendAll(int fd, const std::string& bytes) {
    std::size_t sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n <= 0) return false;
        sent += std::size_t(n);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const int names = argc > 1 ? std::atoi(argv[1]) : 200;
    QApplication app(argc, argv);
    veltrano::MainWindow::Options options;
    options.port = 0;
    options.listenAddress = QHostAddress(QHostAddress::LocalHost);
    options.listAddresses = [] { return std::vector<std::string>{"192.168.1.5"}; };
    veltrano::MainWindow window(options);
    window.onMainWindowCreated();
    window.show();
    QTemporaryDir inbox;
    window.setReceiveDirectoryText(inbox.path());
    const quint16 port = window.endpoint().serverPort();
    app.processEvents();
    const long rssBefore = statusKib("VmRSS");

    std::atomic<bool> done{false};
    std::mutex latencyLock;
    std::vector<double> latencies;
    std::thread probe([&] {
        while (!done) {
            const auto asked = Clock::now();
            std::atomic<bool> answered{false};
            QMetaObject::invokeMethod(
                &window,
                [&, asked] {
                    std::lock_guard lock(latencyLock);
                    latencies.push_back(millisecondsSince(asked));
                    answered = true;
                },
                Qt::QueuedConnection);
            while (!answered && !done) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    });

    const auto start = Clock::now();
    std::thread phone([&] {
        const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
            std::perror("connect");
            std::exit(1);
        }
        const std::string filler(64 * 1024, 'x');
        for (int i = 0; i < names; ++i) sendAll(fd, "STAT||" + std::to_string(i) + filler + ".jpg");
        ::close(fd);
    });

    // Until every name has been handled and the box shows the last notice, or nothing more comes.
    const auto* box = window.findChild<QPlainTextEdit*>(QStringLiteral("编辑框1"));
    const QString lastName = QString::number(names - 1);
    auto lastProgress = Clock::now();
    int lastCount = 0;
    while (millisecondsSince(lastProgress) < 5000) {
        app.processEvents(QEventLoop::WaitForMoreEvents, 50);
        if (window.exchangeState().receivedCount() != lastCount) {
            lastCount = window.exchangeState().receivedCount();
            lastProgress = Clock::now();
        }
        if (lastCount >= names && box->toPlainText().contains(QStringLiteral("“") + lastName))
            break;
    }
    const double handledMs = millisecondsSince(start);
    // A second more of probes after the flood.
    const auto after = Clock::now();
    while (millisecondsSince(after) < 1000) app.processEvents(QEventLoop::WaitForMoreEvents, 50);
    done = true;
    probe.join();
    phone.join();
    app.processEvents();

    std::vector<double> sorted = latencies;
    std::sort(sorted.begin(), sorted.end());
    const auto at = [&](double q) {
        return sorted.empty() ? 0.0 : sorted[std::size_t(q * double(sorted.size() - 1))];
    };
    std::printf("names: %d of 64 KiB, counted %d, all handled and shown after %.0f ms\n", names,
                window.exchangeState().receivedCount(), handledMs);
    std::printf("event loop answers (%zu probes): median %.1f ms, 99th %.1f ms, worst %.1f ms\n",
                sorted.size(), at(0.5), at(0.99), sorted.empty() ? 0.0 : sorted.back());
    std::printf("information box: %lld characters, %d lines\n",
                static_cast<long long>(box->toPlainText().size()), box->blockCount());
    std::printf("memory: RSS %ld KiB before, %ld KiB after, peak %ld KiB\n", rssBefore,
                statusKib("VmRSS"), statusKib("VmHWM"));
    return 0;
}

#include "shell/qt/StopSignals.h"

#include <signal.h>
#include <sys/socket.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QSocketNotifier>
#include <array>
#include <cerrno>

namespace veltrano {
namespace {

// A signal handler may only write to a descriptor: it tells the event loop through this pair.
std::array<int, 2> signalPipe = {-1, -1};

void onStopSignal(int signal) {
    const int savedErrno = errno;
    const char byte = static_cast<char>(signal);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[0], &byte, 1);
    errno = savedErrno;
}

}  // namespace

StopSignals::StopSignals(QObject* parent) : QObject(parent) {}

StopSignals::~StopSignals() {
    if (signalPipe[0] < 0) return;
    for (const int signal : {SIGINT, SIGTERM}) ::signal(signal, SIG_DFL);
    delete notifier_;
    ::close(signalPipe[0]);
    ::close(signalPipe[1]);
    signalPipe = {-1, -1};
}

bool StopSignals::start() {
    if (signalPipe[0] >= 0) return false;
    int pair[2];
    if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, pair) != 0) {
        return false;
    }
    signalPipe = {pair[0], pair[1]};
    notifier_ = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &StopSignals::onSignalled);

    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return ::sigaction(SIGINT, &action, nullptr) == 0 &&
           ::sigaction(SIGTERM, &action, nullptr) == 0;
}

void StopSignals::onSignalled() {
    char byte = 0;
    while (::read(signalPipe[1], &byte, 1) == 1) {
        received_ = byte == SIGINT ? "SIGINT" : "SIGTERM";
    }
    QCoreApplication::quit();
}

}  // namespace veltrano

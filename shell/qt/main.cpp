#include <QApplication>
#include <QCoreApplication>
#include <QIcon>
#include <cstdio>
#include <cstdlib>

#include "shell/qt/DisplayProbe.h"
#include "shell/qt/HeadlessReceiver.h"
#include "shell/qt/MainWindow.h"
#include "shell/qt/StopSignals.h"

namespace {

// Without a display that answers, the toolkit would end the process.
bool hasDisplay() {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    return veltrano::displayAnswers();
#endif
}

// The last word after a stop signal, once every file is closed.
void sayStopped(const veltrano::StopSignals& stopSignals) {
    if (*stopSignals.received() == '\0') return;
    std::printf("Stopped by %s: every received file is closed.\n", stopSignals.received());
    std::fflush(stdout);
}

int runHeadless(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    veltrano::StopSignals stopSignals;
    stopSignals.start();
    int status = EXIT_FAILURE;
    {
        veltrano::HeadlessReceiver receiver;
        if (!receiver.start()) return EXIT_FAILURE;
        status = app.exec();
        receiver.releaseExchangeState();
    }
    sayStopped(stopSignals);
    return status;
}

int runWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    // The installed menu entry and icon; from a build tree the theme has no such icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.veltrano.Veltrano"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("org.veltrano.Veltrano")));
    veltrano::StopSignals stopSignals;
    stopSignals.start();
    int status = EXIT_FAILURE;
    {
        veltrano::MainWindow window;
        window.onMainWindowCreated();
        window.show();
        status = app.exec();
        window.releaseExchangeState();
    }
    sayStopped(stopSignals);
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Veltrano"));
    return hasDisplay() ? runWindow(argc, argv) : runHeadless(argc, argv);
}

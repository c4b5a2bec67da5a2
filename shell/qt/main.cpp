#include <QApplication>
#include <QCoreApplication>
#include <cstdlib>

#include "shell/qt/HeadlessReceiver.h"
#include "shell/qt/MainWindow.h"

namespace {

// Off Windows a window needs a display server, or a platform named through QT_QPA_PLATFORM.
bool hasDisplay() {
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return true;
#else
    return !qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") ||
           !qEnvironmentVariableIsEmpty("DISPLAY") ||
           !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
#endif
}

int runHeadless(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    veltrano::HeadlessReceiver receiver;
    if (!receiver.start()) return EXIT_FAILURE;
    const int status = app.exec();
    receiver.releaseExchangeState();
    return status;
}

int runWindow(int argc, char** argv) {
    QApplication app(argc, argv);
    veltrano::MainWindow window;
    window.onMainWindowCreated();
    window.show();
    const int status = app.exec();
    window.releaseExchangeState();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication::setApplicationName(QStringLiteral("Veltrano"));
    return hasDisplay() ? runWindow(argc, argv) : runHeadless(argc, argv);
}

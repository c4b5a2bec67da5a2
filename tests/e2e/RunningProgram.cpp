#include "tests/e2e/RunningProgram.h"

#include <sys/resource.h>

#include <QTcpServer>

#include "tests/support/WaitUntil.h"

namespace veltrano::test {

RunningProgram::RunningProgram(const std::filesystem::path& home, bool withDisplay,
                               const QString& display, unsigned long descriptors) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("HOME"), QString::fromStdString(home.string()));
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        environment.remove(QString::fromLatin1(name));
    }
    if (withDisplay)
        environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    if (!display.isEmpty()) environment.insert(QStringLiteral("DISPLAY"), display);
    if (descriptors != 0) {
        process_.setChildProcessModifier([descriptors] {
            const rlimit limit{descriptors, descriptors};
            ::setrlimit(RLIMIT_NOFILE, &limit);
        });
    }
    process_.setProcessEnvironment(environment);
    process_.start(QStringLiteral(VELTRANO_PROGRAM), {});
}

RunningProgram::~RunningProgram() {
    process_.kill();
    process_.waitForFinished(5000);
}

bool exchangePortIsFree() {
    QTcpServer probe;
    return probe.listen(QHostAddress::Any, kExchangePort);
}

bool connectWhenListening(QTcpSocket& phone) {
    return waitUntil([&] {
        if (phone.state() == QAbstractSocket::ConnectedState) return true;
        if (phone.state() == QAbstractSocket::UnconnectedState) {
            phone.connectToHost(QHostAddress::LocalHost, kExchangePort);
        }
        return false;
    });
}

}  // namespace veltrano::test

#include "tools/send/PhoneSender.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QFileInfo>
#include <QThread>

#include "tools/send/Progress.h"

#ifdef Q_OS_LINUX
#include <linux/sockios.h>
#include <sys/ioctl.h>
#endif

namespace veltrano::send {
namespace {

constexpr int kNetworkTimeoutMs = 30000;

QString socketError(const QTcpSocket& socket, const QString& host, quint16 port) {
    switch (socket.error()) {
        case QAbstractSocket::HostNotFoundError:
            return QStringLiteral("unknown host %1").arg(host);
        case QAbstractSocket::ConnectionRefusedError:
            return QStringLiteral("connection refused by %1 port %2: is Veltrano running there?")
                .arg(host)
                .arg(port);
        case QAbstractSocket::SocketTimeoutError:
            return QStringLiteral("no answer from %1 port %2").arg(host).arg(port);
        default:
            return QStringLiteral("%1 port %2: %3").arg(host).arg(port).arg(socket.errorString());
    }
}

}  // namespace

QByteArray startOfFileMessage(const QString& fileName) {
    return QByteArrayLiteral("STAT||") + fileName.toUtf8().toPercentEncoding();
}

PhoneSender::PhoneSender(int pauseMilliseconds) : pauseMilliseconds_(pauseMilliseconds) {}

bool PhoneSender::connectTo(const QString& host, quint16 port, QString* error) {
    socket_.connectToHost(host, port);
    if (!socket_.waitForConnected(kNetworkTimeoutMs)) {
        *error = socketError(socket_, host, port);
        return false;
    }
    // A marker must leave at once and alone, not wait to be merged with what follows.
    socket_.setSocketOption(QAbstractSocket::LowDelayOption, 1);
    return true;
}

void PhoneSender::pause() const {
    if (pauseMilliseconds_ > 0) QThread::msleep(static_cast<unsigned long>(pauseMilliseconds_));
}

bool PhoneSender::writeAll(const QByteArray& bytes, QString* error) {
    if (socket_.write(bytes) != bytes.size()) {
        *error = QStringLiteral("sending failed: %1").arg(socket_.errorString());
        return false;
    }
    while (socket_.bytesToWrite() > 0) {
        if (!socket_.waitForBytesWritten(kNetworkTimeoutMs)) {
            *error = QStringLiteral("sending failed: %1").arg(socket_.errorString());
            return false;
        }
    }
    return true;
}

// Waits (a bounded while) until the receiving computer has acknowledged every byte sent, so that
// the pause before a marker starts once what came before has arrived, not when it left.
void PhoneSender::waitUntilAcknowledged() const {
#ifdef Q_OS_LINUX
    const int fd = int(socket_.socketDescriptor());
    const QDeadlineTimer deadline(kNetworkTimeoutMs);
    int unacknowledged = 0;
    while (::ioctl(fd, SIOCOUTQ, &unacknowledged) == 0 && unacknowledged > 0 &&
           !deadline.hasExpired()) {
        QThread::msleep(1);
    }
#endif
}

bool PhoneSender::sendMarker(const QByteArray& marker, QString* error) {
    waitUntilAcknowledged();
    pause();
    if (!writeAll(marker, error)) return false;
    waitUntilAcknowledged();
    pause();
    return true;
}

bool PhoneSender::sendFile(const QString& path, Progress& progress, QString* error) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
        return false;
    }
    if (!sendMarker(startOfFileMessage(QFileInfo(path).fileName()), error)) return false;
    while (!file.atEnd()) {
        const QByteArray piece = file.read(kPieceBytes);
        if (piece.isEmpty() && file.error() != QFileDevice::NoError) {
            *error = QStringLiteral("cannot read %1: %2").arg(path, file.errorString());
            return false;
        }
        if (!writeAll(piece, error)) return false;
        progress.addBytes(piece.size());
    }
    if (!sendMarker(QByteArrayLiteral("END||"), error)) return false;
    progress.fileDone();
    return true;
}

std::optional<QByteArray> PhoneSender::waitForRoster(int timeoutSeconds, QString* error) {
    const QByteArray start = QByteArrayLiteral("STAT||");
    const QByteArray end = QByteArrayLiteral("||END");
    QByteArray received;
    const QDeadlineTimer deadline{std::chrono::seconds(timeoutSeconds)};
    while (true) {
        const qsizetype from = received.indexOf(start);
        const qsizetype to = from < 0 ? -1 : received.indexOf(end, from + start.size());
        if (to >= 0) return received.mid(from + start.size(), to - from - start.size());
        if (deadline.hasExpired()) {
            *error = QStringLiteral("no roster arrived within %1 seconds").arg(timeoutSeconds);
            return std::nullopt;
        }
        if (socket_.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 1000)))) {
            received += socket_.readAll();
        } else if (socket_.state() != QAbstractSocket::ConnectedState) {
            *error = QStringLiteral("the connection closed before a roster arrived");
            return std::nullopt;
        }
    }
}

void PhoneSender::disconnect() {
    socket_.disconnectFromHost();
    if (socket_.state() != QAbstractSocket::UnconnectedState) socket_.waitForDisconnected(5000);
}

}  // namespace veltrano::send

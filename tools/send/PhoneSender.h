#pragma once

#include <QByteArray>
#include <QString>
#include <QTcpSocket>
#include <optional>

namespace veltrano::send {

class Progress;

// The phone's side of the exchange over one connection, with blocking calls.
class PhoneSender {
public:
    static constexpr qint64 kPieceBytes = 64 * 1024;

    explicit PhoneSender(int pauseMilliseconds);

    bool connectTo(const QString& host, quint16 port, QString* error);

    // "STAT||" + the percent-encoded UTF-8 base name, the bytes in pieces, "END||".
    bool sendFile(const QString& path, Progress& progress, QString* error);

    // Waits for "STAT||" roster "||END" and gives the roster's code page 936 bytes.
    std::optional<QByteArray> waitForRoster(int timeoutSeconds, QString* error);

    void disconnect();

private:
    bool writeAll(const QByteArray& bytes, QString* error);
    void waitUntilAcknowledged() const;
    bool sendMarker(const QByteArray& marker, QString* error);
    void pause() const;

    int pauseMilliseconds_;
    QTcpSocket socket_;
};

// The start-of-file message for a file's base name.
QByteArray startOfFileMessage(const QString& fileName);

}  // namespace veltrano::send

#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace veltrano::send {

struct SendOptions {
    QString host = QStringLiteral("127.0.0.1");
    quint16 port = 3456;
    bool roster = false;      // wait for a roster instead of sending files
    int timeoutSeconds = 60;  // how long --roster waits
    int pauseMilliseconds = 50;
    QStringList files;
    bool help = false;
};

// Reads the command line (without the program name); an error text when it is not understood.
std::optional<SendOptions> parseSendOptions(const QStringList& arguments, QString* error);

QString sendUsage();

}  // namespace veltrano::send

#include "tools/send/SendOptions.h"

namespace veltrano::send {
namespace {

bool readNumber(const QString& text, int low, int high, int* value) {
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < low || number > high) return false;
    *value = number;
    return true;
}

}  // namespace

QString sendUsage() {
    return QStringLiteral(
        "Usage: veltrano-send [--host HOST] [--port PORT] [--pause MS] FILE...\n"
        "       veltrano-send --roster [--host HOST] [--port PORT] [--timeout SECONDS]\n"
        "\n"
        "Does what the phone app does, to check a Veltrano set-up without a phone.\n"
        "\n"
        "With files: sends each one as the phone does: \"STAT||\" and its percent-encoded UTF-8\n"
        "name, its bytes in pieces, then \"END||\".\n"
        "With --roster: connects, waits for the roster that Veltrano's \"传名册到手机\" button\n"
        "sends, and prints it.\n"
        "\n"
        "  --host HOST        the computer running Veltrano (default 127.0.0.1)\n"
        "  --port PORT        its port (default 3456)\n"
        "  --pause MS         quiet time around each marker message (default 50)\n"
        "  --timeout SECONDS  how long --roster waits (default 60)\n"
        "  -h, --help         this text\n"
        "\n"
        "Why the pauses: the protocol has no framing. Veltrano takes whatever one read of the\n"
        "connection returns as one message, so a marker that reached it together with file bytes\n"
        "would be taken for part of a name, or the bytes for a marker. Each marker is therefore\n"
        "written on its own, with a short pause before and after it, as the phone app does.\n");
}

std::optional<SendOptions> parseSendOptions(const QStringList& arguments, QString* error) {
    SendOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const auto value = [&]() -> std::optional<QString> {
            if (i + 1 >= arguments.size()) return std::nullopt;
            return arguments[++i];
        };
        if (argument == QLatin1String("-h") || argument == QLatin1String("--help")) {
            options.help = true;
        } else if (argument == QLatin1String("--roster")) {
            options.roster = true;
        } else if (argument == QLatin1String("--host")) {
            const auto host = value();
            if (!host || host->isEmpty()) {
                *error = QStringLiteral("--host needs a host name or address");
                return std::nullopt;
            }
            options.host = *host;
        } else if (argument == QLatin1String("--port")) {
            int port = 0;
            const auto text = value();
            if (!text || !readNumber(*text, 1, 65535, &port)) {
                *error = QStringLiteral("--port needs a number from 1 to 65535");
                return std::nullopt;
            }
            options.port = quint16(port);
        } else if (argument == QLatin1String("--timeout")) {
            const auto text = value();
            if (!text || !readNumber(*text, 1, 86400, &options.timeoutSeconds)) {
                *error = QStringLiteral("--timeout needs a number of seconds from 1 to 86400");
                return std::nullopt;
            }
        } else if (argument == QLatin1String("--pause")) {
            const auto text = value();
            if (!text || !readNumber(*text, 0, 10000, &options.pauseMilliseconds)) {
                *error = QStringLiteral("--pause needs a number of milliseconds from 0 to 10000");
                return std::nullopt;
            }
        } else if (argument.startsWith(QLatin1Char('-')) && argument != QLatin1String("-")) {
            *error = QStringLiteral("unknown option %1").arg(argument);
            return std::nullopt;
        } else {
            options.files.append(argument);
        }
    }
    if (options.help) return options;
    if (options.roster && !options.files.isEmpty()) {
        *error = QStringLiteral("--roster takes no files");
        return std::nullopt;
    }
    if (!options.roster && options.files.isEmpty()) {
        *error = QStringLiteral("name at least one file to send, or --roster");
        return std::nullopt;
    }
    return options;
}

}  // namespace veltrano::send

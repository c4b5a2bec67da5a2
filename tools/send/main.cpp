#include <QCoreApplication>
#include <QFileInfo>
#include <cstdio>

#include "text/CodePage.h"
#include "tools/send/PhoneSender.h"
#include "tools/send/Progress.h"
#include "tools/send/SendOptions.h"

namespace {

using namespace veltrano::send;

int fail(const QString& message, int status = 1) {
    std::fprintf(stderr, "veltrano-send: %s\n", message.toLocal8Bit().constData());
    return status;
}

int sendFiles(const SendOptions& options) {
    qint64 totalBytes = 0;
    for (const QString& path : options.files) {
        const QFileInfo info(path);
        if (!info.isFile() || !info.isReadable())
            return fail(QStringLiteral("cannot read %1").arg(path));
        totalBytes += info.size();
    }
    PhoneSender sender(options.pauseMilliseconds);
    QString error;
    if (!sender.connectTo(options.host, options.port, &error)) return fail(error);
    Progress progress(int(options.files.size()), totalBytes);
    for (const QString& path : options.files) {
        if (!sender.sendFile(path, progress, &error)) {
            progress.finish();
            return fail(error);
        }
    }
    progress.finish();
    sender.disconnect();
    return 0;
}

int receiveRoster(const SendOptions& options) {
    PhoneSender sender(options.pauseMilliseconds);
    QString error;
    if (!sender.connectTo(options.host, options.port, &error)) return fail(error);
    const auto roster = sender.waitForRoster(options.timeoutSeconds, &error);
    if (!roster) return fail(error);
    // The roster is code page 936 with CR LF rows; the terminal wants UTF-8 lines.
    std::string text = veltrano::codePage936ToUtf8(roster->toStdString());
    for (std::size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at)) {
        text.erase(at, 1);
    }
    std::fwrite(text.data(), 1, text.size(), stdout);
    if (!text.empty() && text.back() != '\n') std::fputc('\n', stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QString error;
    const auto options = parseSendOptions(app.arguments().mid(1), &error);
    if (!options) {
        return fail(error + QStringLiteral(" (see veltrano-send --help)"), 2);
    }
    if (options->help) {
        std::fputs(sendUsage().toLocal8Bit().constData(), stdout);
        return 0;
    }
    return options->roster ? receiveRoster(*options) : sendFiles(*options);
}

#include "shell/HeadlessReceiver.h"

#include <cstdio>

#include "endpoint/ServerEndpoint.h"
#include "shell/AddressPanel.h"
#include "shell/Notices.h"
#include "shell/QtText.h"
#include "shell/ReceiveDirectory.h"

namespace veltrano {
namespace {

void printLine(std::FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stream);
}

}  // namespace

HeadlessReceiver::HeadlessReceiver(QObject* parent)
    : QObject(parent), endpoint_(new ServerEndpoint(this)) {
    exchange_ = std::make_unique<ExchangeState>(
        *endpoint_, files_,
        ExchangeHooks{
            [] { return toText(defaultReceiveDirectory()); },
            [](const Text& count) {
                printLine(stdout, QStringLiteral("收到文件个数: ") + toQString(count));
            },
            [this](const FileProblem& problem) { printNotice(fileProblemNotice(problem)); }});
}

HeadlessReceiver::~HeadlessReceiver() = default;

bool HeadlessReceiver::start() {
    endpoint_->setPort(kExchangePort);
    if (!endpoint_->start()) {
        printNotice(listenFailureNotice(kExchangePort, endpoint_->addressInUse(),
                                        toText(endpoint_->errorString())));
        return false;
    }
    printLine(stdout, QStringLiteral("No display found: running without a window. Receiving on "
                                     "port %1 into %2 (Ctrl+C stops).")
                          .arg(kExchangePort)
                          .arg(defaultReceiveDirectory()));
    // Whoever started it over SSH needs the address to type into the phone, as the window shows.
    Text panel;
    listLocalAddresses(reachableIpv4Addresses, [&panel](const Text& text) { panel += text; });
    printLine(stdout, toQString(panel).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    return true;
}

void HeadlessReceiver::printNotice(const Text& notice) {
    const std::uint64_t count = notices_.add(notice);
    if (NoticeLog::worthPrinting(count)) {
        printLine(stderr, toQString(NoticeLog::lineFor(notice, count)));
    }
}

void HeadlessReceiver::releaseExchangeState() {
    exchange_->releaseExchangeState();
}

}  // namespace veltrano

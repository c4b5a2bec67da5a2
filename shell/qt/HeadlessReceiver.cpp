#include "shell/qt/HeadlessReceiver.h"

#include <cstdio>

#include "endpoint/ServerEndpoint.h"
#include "shell/AddressPanel.h"
#include "shell/Notices.h"
#include "shell/StartUp.h"
#include "shell/qt/AddressList.h"
#include "shell/qt/QtText.h"
#include "text/CodePage.h"

namespace veltrano {
namespace {

void printLine(std::FILE* stream, const QString& line) {
    std::fprintf(stream, "%s\n", line.toLocal8Bit().constData());
    std::fflush(stream);
}

std::string systemMessage(const std::error_code& reason) {
    return QString::fromLocal8Bit(reason.message()).toStdString();
}

}  // namespace

HeadlessReceiver::HeadlessReceiver(QObject* parent)
    : QObject(parent), endpoint_(new ServerEndpoint(this)) {
    exchange_ = std::make_unique<ExchangeState>(
        *endpoint_, files_,
        ExchangeHooks{[] { return toText(QString::fromStdString(defaultReceiveDirectory())); },
                      [](const Text& count) {
                          printLine(stdout, QStringLiteral("收到文件个数: ") + toQString(count));
                      },
                      [this](const FileProblem& problem) {
                          printNotice(fileProblemNotice(problem, systemMessage));
                      }});
}

HeadlessReceiver::~HeadlessReceiver() = default;

bool HeadlessReceiver::start() {
    endpoint_->setPort(kExchangePort);
    if (!endpoint_->start()) {
        printNotice(listenFailureNotice(kExchangePort, endpoint_->addressInUse(),
                                        endpoint_->errorString().toStdString()));
        return false;
    }
    printLine(stdout, QStringLiteral("No display found: running without a window. Receiving on "
                                     "port %1 into %2 (Ctrl+C stops).")
                          .arg(kExchangePort)
                          .arg(QString::fromStdString(defaultReceiveDirectory())));
    // Whoever started it over SSH needs the address to type into the phone, as the window shows.
    Text panel;
    listLocalAddresses([] { return reachableIpv4Addresses(systemAdapters()); },
                       [&panel](const Text& text) { panel += text; });
    printLine(stdout, toQString(panel).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    return true;
}

void HeadlessReceiver::printNotice(const std::string& notice) {
    const Text line = utf8ToCodePage936(notice);
    const std::uint64_t count = notices_.add(line);
    if (NoticeLog::worthPrinting(count)) {
        printLine(stderr, toQString(NoticeLog::lineFor(line, count)));
    }
}

void HeadlessReceiver::releaseExchangeState() {
    exchange_->releaseExchangeState();
}

}  // namespace veltrano

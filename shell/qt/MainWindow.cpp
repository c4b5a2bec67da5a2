#include "shell/qt/MainWindow.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QTimer>
#include <chrono>
#include <mutex>
#include <system_error>

#include "endpoint/ServerEndpoint.h"
#include "shell/AddressPanel.h"
#include "shell/Layout.h"
#include "shell/PhoneNotices.h"
#include "shell/RosterText.h"
#include "shell/qt/AddressList.h"
#include "shell/qt/FolderChooser.h"
#include "shell/qt/MessageBox.h"
#include "shell/qt/QtText.h"
#include "text/CodePage.h"

namespace veltrano {

// What the address worker posts through; the window may be gone by the time it is done.
struct AddressRelay {
    std::mutex mutex;
    QPointer<MainWindow> window;
};

namespace {

constexpr std::chrono::milliseconds kRenderInterval{50};

// The edit box keeps line feeds; the program's texts break lines with CR LF.
QString forDisplay(const Text& text) {
    return toQString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
}

std::string systemMessage(const std::error_code& reason) {
    return QString::fromLocal8Bit(reason.message()).toStdString();
}

}  // namespace

MainWindow::MainWindow() : MainWindow(Options{}) {}

MainWindow::MainWindow(Options options)
    : options_(std::move(options)),
      endpoint_(new ServerEndpoint(this)),
      controls_(renderLayout(*this, mainWindowLayout())),
      infoBox_(controls_.get<QPlainTextEdit>(control::kInfoBox)),
      directoryBox_(controls_.get<QLineEdit>(control::kDirectoryBox)),
      counterLabel_(controls_.get<QLabel>(control::kCounter)),
      rosterBox_(controls_.get<QPlainTextEdit>(control::kRosterBox)),
      renderTimer_(new QTimer(this)) {
    renderTimer_->setSingleShot(true);
    renderTimer_->setInterval(kRenderInterval);
    connect(renderTimer_, &QTimer::timeout, this, &MainWindow::render);
    if (!options_.listAddresses) {
        options_.listAddresses = [] { return reachableIpv4Addresses(systemAdapters()); };
    }
    if (!options_.showMessage) {
        options_.showMessage = [this](const Text& text) { showMessageBox(this, text); };
    }
    exchange_ = std::make_unique<ExchangeState>(
        *endpoint_, files_,
        ExchangeHooks{[this] { return receiveDirectory(); },
                      [this](const Text& count) { showReceivedCount(count); },
                      [this](const FileProblem& problem) {
                          appendNotice(fileProblemNotice(problem, systemMessage));
                      }});
    endpoint_->setObjectName(fromUtf8(control::kEndpoint));
    connect(controls_.get<QPushButton>(control::kSendRosterButton), &QPushButton::clicked, this,
            &MainWindow::onSendRosterClicked);
    connect(controls_.get<QPushButton>(control::kChooseButton), &QPushButton::clicked, this,
            &MainWindow::onChooseClicked);
    // The endpoint signals after the exchange state has taken the arrival and its address.
    connect(endpoint_, &ServerEndpoint::clientArrived, this,
            [this] { appendNotice(phoneConnectedNotice(exchange_->clientAddress())); });
}

MainWindow::~MainWindow() {
    if (relay_) {
        std::lock_guard lock(relay_->mutex);
        relay_->window = nullptr;
    }
}

void MainWindow::onMainWindowCreated() {
    if (std::exchange(created_, true)) return;
    veltrano::onMainWindowCreated(StartUpSteps{
        [this] { openEndpoint(); },
        [this](const std::string& directory) { setReceiveDirectoryText(fromUtf8(directory)); },
        [this] { startAddressWorker(); }});
}

void MainWindow::openEndpoint() {
    endpoint_->setPort(options_.port);
    endpoint_->setListenAddress(options_.listenAddress);
    if (!endpoint_->start()) {
        appendNotice(listenFailureNotice(options_.port, endpoint_->addressInUse(),
                                         endpoint_->errorString().toStdString()));
    }
}

void MainWindow::startAddressWorker() {
    relay_ = std::make_shared<AddressRelay>();
    relay_->window = this;
    // Posts to the window's thread while the window lives; queued calls keep their order.
    auto post = [relay = relay_](auto call) {
        std::lock_guard lock(relay->mutex);
        if (MainWindow* window = relay->window) {
            QMetaObject::invokeMethod(window, std::move(call), Qt::QueuedConnection);
        }
    };
    try {
        std::thread([post, listAddresses = options_.listAddresses, relay = relay_] {
            listLocalAddresses(listAddresses, [&](const Text& text) {
                post([relay, text] {
                    if (MainWindow* window = relay->window) window->appendText(text);
                });
            });
            post([relay] {
                if (MainWindow* window = relay->window) window->onAddressesListed();
            });
        }).detach();
    } catch (const std::system_error&) {
        onAddressesListed();
    }
}

void MainWindow::onAddressesListed() {
    render();
    emit addressesListed();
}

void MainWindow::appendText(const Text& text) {
    QMetaObject::invokeMethod(
        this,
        [this, text] {
            addressText_ += text;
            scheduleRender();
        },
        Qt::AutoConnection);
}

void MainWindow::appendNotice(const std::string& notice) {
    notices_.add(utf8ToCodePage936(notice));
    scheduleRender();
}

void MainWindow::scheduleRender() {
    if (!renderTimer_->isActive()) renderTimer_->start();
}

void MainWindow::render() {
    renderTimer_->stop();
    infoBox_->setPlainText(forDisplay(infoBoxText(addressText_, notices_)));
    // The addresses in view, which is what the user needs to connect; once something has gone
    // wrong, the latest notice instead, the addresses being the first lines, a short scroll up.
    infoBox_->moveCursor(notices_.empty() ? QTextCursor::Start : QTextCursor::End);
    infoBox_->ensureCursorVisible();
}

void MainWindow::onSendRosterClicked() {
    const Text roster = rosterWithCrLf(toText(rosterBox_->toPlainText()));
    const Text address = exchange_->clientAddress();
    const RosterPushResult result =
        sendRoster(roster, *exchange_, *endpoint_, options_.showMessage);
    if (auto notice = rosterPushNotice(result, address, roster)) appendNotice(*notice);
}

void MainWindow::onChooseClicked() {
    FolderChooser::choose(*this);
}

void MainWindow::releaseExchangeState() {
    exchange_->releaseExchangeState();
}

Text MainWindow::receiveDirectory() const {
    return toText(directoryBox_->text());
}

void MainWindow::showReceivedCount(const Text& text) {
    counterLabel_->setText(toQString(text));
}

QString MainWindow::receiveDirectoryText() const {
    return directoryBox_->text();
}

void MainWindow::setReceiveDirectoryText(const QString& directory) {
    directoryBox_->setText(directory);
}

}  // namespace veltrano

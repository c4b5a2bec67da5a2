#pragma once

#include <QHostAddress>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "exchange/DiskFileStore.h"
#include "exchange/ExchangeState.h"
#include "exchange/RosterPush.h"
#include "shell/NoticeLog.h"
#include "shell/Notices.h"
#include "shell/StartUp.h"
#include "shell/qt/LayoutRenderer.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;

namespace veltrano {

class ServerEndpoint;

// The program's one window, rendered from the main window's layout table: the information box
// with the computer's addresses, the receive directory and counter, and the roster box with its
// send button. It owns the exchange state.
class MainWindow final : public QWidget {
    Q_OBJECT

public:
    // What tests replace; the program uses the defaults.
    struct Options {
        quint16 port = kExchangePort;
        QHostAddress listenAddress = QHostAddress(QHostAddress::Any);
        std::function<std::vector<std::string>()> listAddresses;  // default: the computer's own
        ShowMessage showMessage;                                  // default: a modal message box
    };

    MainWindow();
    explicit MainWindow(Options options);
    ~MainWindow() override;

    // Opens the endpoint, fills in the receive directory and starts the address panel; returns at
    // once, before the addresses are listed. Runs once; a second call does nothing.
    void onMainWindowCreated();
    void onSendRosterClicked();
    void onChooseClicked();
    void releaseExchangeState();

    // Adds `text` at the end of the information box; callable from any thread, in order.
    void appendText(const Text& text);

    // The exchange hooks.
    Text receiveDirectory() const;
    void showReceivedCount(const Text& text);

    QString receiveDirectoryText() const;
    void setReceiveDirectoryText(const QString& directory);

    ServerEndpoint& endpoint() const { return *endpoint_; }
    const ExchangeState& exchangeState() const { return *exchange_; }

signals:
    // After the addresses and guide are in the information box.
    void addressesListed();

private:
    void openEndpoint();
    void startAddressWorker();
    void onAddressesListed();
    // A notice (UTF-8) goes on a line of its own, after the address panel's text.
    void appendNotice(const std::string& notice);
    // Shows the address panel's text and the notices; at most every kRenderInterval, so a flood
    // of notices costs the window a bounded amount of work.
    void scheduleRender();
    void render();

    Options options_;
    ServerEndpoint* endpoint_;
    DiskFileStore files_;
    std::unique_ptr<ExchangeState> exchange_;

    RenderedLayout controls_;
    QPlainTextEdit* infoBox_;
    QLineEdit* directoryBox_;
    QLabel* counterLabel_;
    QPlainTextEdit* rosterBox_;

    bool created_ = false;
    // Detached: closing the window never waits for a slow look-up; it holds no pointer to us.
    std::shared_ptr<struct AddressRelay> relay_;
    Text addressText_;
    NoticeLog notices_;
    QTimer* renderTimer_ = nullptr;
};

}  // namespace veltrano

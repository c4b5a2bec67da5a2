#pragma once

#include <QHostAddress>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <thread>

#include "exchange/DiskFileStore.h"
#include "exchange/ExchangeState.h"
#include "exchange/RosterPush.h"
#include "shell/NoticeLog.h"
#include "shell/ReceiveDirectory.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTimer;

namespace veltrano {

class ServerEndpoint;

// The program's one window: the information box with the computer's addresses, the receive
// directory and counter, and the roster box with its send button. It owns the exchange state.
class MainWindow final : public QWidget {
    Q_OBJECT

public:
    // What tests replace; the program uses the defaults.
    struct Options {
        quint16 port = kExchangePort;
        QHostAddress listenAddress = QHostAddress(QHostAddress::Any);
        std::function<QStringList()> listAddresses;  // default: the computer's own
        ShowMessage showMessage;                     // default: a modal message box
    };

    MainWindow();
    explicit MainWindow(Options options);
    ~MainWindow() override;

    // Opens the endpoint, fills in the receive directory and starts the address panel; returns at
    // once, before the addresses are listed.
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
    void buildControls();
    void onAddressesListed();
    // A notice goes on a line of its own, after the address panel's text.
    void appendNotice(const Text& notice);
    // Shows the address panel's text and the notices; at most every kRenderInterval, so a flood
    // of notices costs the window a bounded amount of work.
    void scheduleRender();
    void render();

    Options options_;
    ServerEndpoint* endpoint_;
    DiskFileStore files_;
    std::unique_ptr<ExchangeState> exchange_;

    QPlainTextEdit* infoBox_ = nullptr;
    QLineEdit* directoryBox_ = nullptr;
    QLabel* counterLabel_ = nullptr;
    QPlainTextEdit* rosterBox_ = nullptr;

    std::thread addressWorker_;
    Text addressText_;
    NoticeLog notices_;
    QTimer* renderTimer_ = nullptr;
};

}  // namespace veltrano

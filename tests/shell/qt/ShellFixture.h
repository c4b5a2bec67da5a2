#pragma once

#include <QPlainTextEdit>
#include <QTcpSocket>
#include <memory>
#include <vector>

#include "endpoint/ServerEndpoint.h"
#include "shell/qt/MainWindow.h"
#include "tests/support/WaitUntil.h"

namespace veltrano::test {

// A main window listening on a free loopback port, with a fixed address list and its message
// boxes recorded instead of shown.
struct ShellFixture {
    explicit ShellFixture(MainWindow::Options options = {}, bool recordMessages = true)
        : window(withTestDefaults(std::move(options), recordMessages)) {}

    MainWindow::Options withTestDefaults(MainWindow::Options options, bool recordMessages) {
        if (options.port == kExchangePort) options.port = 0;
        options.listenAddress = QHostAddress(QHostAddress::LocalHost);
        if (!options.listAddresses)
            options.listAddresses = [] { return std::vector<std::string>{"192.168.1.5"}; };
        if (recordMessages)
            options.showMessage = [this](const Text& text) { messages.push_back(text); };
        return options;
    }

    // Sends one message and waits until the window has handled it and everything sent before.
    void send(QTcpSocket& phone, const QByteArray& message) {
        const ServerEndpoint& endpoint = window.endpoint();
        bytesSent = std::max(bytesSent, endpoint.bytesRead()) + std::uint64_t(message.size());
        phone.write(message);
        EXPECT_TRUE(waitUntil(
            [&] { return endpoint.bytesRead() >= bytesSent && !endpoint.holdingBytes(); }));
    }

    void start() {
        bool listed = false;
        const auto connection = QObject::connect(&window, &MainWindow::addressesListed, &window,
                                                 [&listed] { listed = true; });
        window.onMainWindowCreated();
        EXPECT_TRUE(waitUntil([&] { return listed; }));
        QObject::disconnect(connection);
    }

    std::unique_ptr<QTcpSocket> connectPhone() {
        auto phone = std::make_unique<QTcpSocket>();
        const Text before = window.exchangeState().clientAddress();
        phone->connectToHost(QHostAddress::LocalHost, window.endpoint().serverPort());
        EXPECT_TRUE(waitUntil([&] { return window.exchangeState().clientAddress() != before; }));
        return phone;
    }

    template <typename Widget>
    Widget* control(const char16_t* name) const {
        return window.findChild<Widget*>(QString::fromUtf16(name));
    }

    QString infoText() const { return control<QPlainTextEdit>(u"编辑框1")->toPlainText(); }

    std::vector<Text> messages;
    std::uint64_t bytesSent = 0;
    MainWindow window;
};

}  // namespace veltrano::test

#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "shell/Layout.h"
#include "shell/win32/MainWindow.h"
#include "shell/win32/Wide.h"
#include "tests/support/win32/LoopbackPhone.h"
#include "tests/support/win32/Pump.h"

namespace veltrano::test {

// A real main window listening on a free loopback port, with a fixed address list and its message
// boxes recorded instead of shown.
struct Win32Fixture {
    explicit Win32Fixture(MainWindow::Options options = {}, bool recordMessages = true)
        : window(withTestDefaults(std::move(options), recordMessages)) {
        EXPECT_TRUE(window.create());
        ShowWindow(window.handle(), SW_SHOWNOACTIVATE);
    }

    MainWindow::Options withTestDefaults(MainWindow::Options options, bool recordMessages) {
        if (options.port == kExchangePort) options.port = 0;
        options.listenAddress = "127.0.0.1";
        if (!options.listAddresses)
            options.listAddresses = [] { return std::vector<std::string>{"192.168.1.5"}; };
        if (recordMessages)
            options.showMessage = [this](const Text& text) { messages.push_back(text); };
        options.onAddressesListed = [this] { addressesListed = true; };
        return options;
    }

    void start() {
        window.onMainWindowCreated();
        EXPECT_TRUE(pumpUntil([&] { return addressesListed; }));
        // The listed text is in the box once the posted appends are handled.
        pumpUntil([] { return false; }, 50);
    }

    std::unique_ptr<LoopbackPhone> connectPhone() {
        const Text before = window.exchangeState().clientAddress();
        auto phone = std::make_unique<LoopbackPhone>(window.endpoint().serverPort());
        EXPECT_TRUE(phone->connected());
        EXPECT_TRUE(pumpUntil([&] { return window.exchangeState().clientAddress() != before; }));
        return phone;
    }

    HWND control(std::string_view name) const { return window.control(name); }
    std::wstring text(std::string_view name) const { return windowText(control(name)); }

    void click(std::string_view name) { SendMessageW(control(name), BM_CLICK, 0, 0); }

    std::vector<Text> messages;
    bool addressesListed = false;
    MainWindow window;
};

}  // namespace veltrano::test

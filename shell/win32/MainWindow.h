#pragma once

#include <windows.h>
#include <winsock2.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "endpoint/Win32Endpoint.h"
#include "exchange/DiskFileStore.h"
#include "exchange/ExchangeState.h"
#include "exchange/RosterPush.h"
#include "shell/NoticeLog.h"
#include "shell/Notices.h"
#include "shell/StartUp.h"
#include "shell/win32/RenderedControls.h"

namespace veltrano {

struct AppendQueue;

// The program's one window, rendered from the main window's layout table with CreateWindowExW:
// the information box with the computer's addresses, the receive directory and counter, and the
// roster box with its send button. It owns the endpoint and the exchange state.
class MainWindow final : private EndpointListener {
public:
    // What tests replace; the program uses the defaults.
    struct Options {
        std::uint16_t port = kExchangePort;
        std::string listenAddress;                                // empty: every address
        std::function<std::vector<std::string>()> listAddresses;  // default: the computer's own
        ShowMessage showMessage;                                  // default: MessageBoxW
        // Called on the window's thread once the address panel's text is in the box.
        std::function<void()> onAddressesListed;
    };

    MainWindow();
    explicit MainWindow(Options options);
    MainWindow(const MainWindow&) = delete;
    MainWindow& operator=(const MainWindow&) = delete;
    ~MainWindow() override;

    // Creates the window and its controls, hidden.
    bool create();
    HWND handle() const { return window_; }
    HWND control(std::string_view name) const { return controls_.find(name); }

    // Opens the endpoint, fills in the receive directory and starts the address panel; returns at
    // once, before the addresses are listed. Runs once; a second call does nothing.
    void onMainWindowCreated();
    void onSendRosterClicked();
    void onChooseClicked();
    void releaseExchangeState();

    // Adds `text` at the end of the information box; callable from any thread, in order. The
    // appends waiting when the window gets to them go in as one.
    void appendText(const Text& text);

    // The exchange hooks.
    Text receiveDirectory() const;
    void showReceivedCount(const Text& text);

    std::wstring receiveDirectoryText() const;
    void setReceiveDirectoryText(const std::wstring& directory);

    Win32Endpoint& endpoint() { return endpoint_; }
    const ExchangeState& exchangeState() const { return *exchange_; }

private:
    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT onMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void onCommand(int id, int code);
    // The endpoint's events reach the exchange state through these, so that the box can say which
    // phone connected once the exchange state has taken its address.
    void onClientArrived() override;
    void onDataArrived() override;
    void onClientDeparted() override;
    void onAppendsPosted();
    void onAddressesListed();
    void openEndpoint();
    void startAddressWorker();
    // A notice (UTF-8) goes on a line of its own, after the address panel's text.
    void appendNotice(const std::string& notice);
    void scheduleRender();
    void render();

    Options options_;
    HWND window_ = nullptr;
    RenderedControls controls_;
    Win32Endpoint endpoint_;
    DiskFileStore files_;
    std::unique_ptr<ExchangeState> exchange_;
    Text addressText_;
    NoticeLog notices_;
    bool renderScheduled_ = false;
    // Shared with the address worker, which may outlive the window.
    std::shared_ptr<AppendQueue> appends_;
    bool created_ = false;
};

}  // namespace veltrano

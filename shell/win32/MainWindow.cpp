#include "shell/win32/MainWindow.h"

#include <mutex>
#include <system_error>
#include <thread>

#include "shell/AddressPanel.h"
#include "shell/Layout.h"
#include "shell/PhoneNotices.h"
#include "shell/RosterText.h"
#include "shell/win32/AddressList.h"
#include "shell/win32/FolderChooser.h"
#include "shell/win32/MessageBox.h"
#include "shell/win32/Wide.h"
#include "text/CodePage.h"

namespace veltrano {

// What the address worker appends through. Posting one message for all that waits keeps the box
// from being redrawn per line (one append costs tens of milliseconds under Wine).
struct AppendQueue {
    std::mutex mutex;
    HWND window = nullptr;  // cleared when the window goes
    Text pending;
    bool posted = false;
};

namespace {

constexpr wchar_t kWindowClass[] = L"VeltranoMainWindow";
constexpr UINT kAppendsPosted = WM_APP + 10;
constexpr UINT kAddressesListed = WM_APP + 11;
constexpr UINT_PTR kRenderTimer = 1;
// The information box is redrawn at most this often, so a flood of notices costs the window a
// bounded amount of work.
constexpr UINT kRenderIntervalMs = 50;

void post(AppendQueue& queue, UINT message, const Text& text) {
    std::lock_guard lock(queue.mutex);
    if (!queue.window) return;
    if (message == kAppendsPosted) {
        queue.pending += text;
        if (std::exchange(queue.posted, true)) return;
    }
    PostMessageW(queue.window, message, 0, 0);
}

std::string systemMessage(const std::error_code& reason) {
    if (reason.category() == std::system_category()) return systemMessageUtf8(reason.value());
    return reason.message();
}

}  // namespace

MainWindow::MainWindow() : MainWindow(Options{}) {}

MainWindow::MainWindow(Options options)
    : options_(std::move(options)), appends_(std::make_shared<AppendQueue>()) {
    if (!options_.listAddresses) {
        options_.listAddresses = [] { return reachableIpv4Addresses(systemAdapters()); };
    }
    if (!options_.showMessage) {
        options_.showMessage = [this](const Text& text) { showMessageBox(window_, text); };
    }
    exchange_ = std::make_unique<ExchangeState>(
        endpoint_, files_,
        ExchangeHooks{[this] { return receiveDirectory(); },
                      [this](const Text& count) { showReceivedCount(count); },
                      [this](const FileProblem& problem) {
                          appendNotice(fileProblemNotice(problem, systemMessage));
                      }});
    endpoint_.setListener(this);
}

MainWindow::~MainWindow() {
    {
        std::lock_guard lock(appends_->mutex);
        appends_->window = nullptr;
    }
    if (window_) {
        SetWindowLongPtrW(window_, GWLP_USERDATA, 0);
        DestroyWindow(window_);
    }
}

bool MainWindow::create() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = windowProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    windowClass.hIcon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1));
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);

    window_ = CreateWindowExW(0, kWindowClass, L"",
                              WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr,
                              nullptr, GetModuleHandleW(nullptr), this);
    if (!window_) return false;
    controls_.render(window_, mainWindowLayout());
    std::lock_guard lock(appends_->mutex);
    appends_->window = window_;
    return true;
}

LRESULT CALLBACK MainWindow::windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
        SetWindowLongPtrW(window, GWLP_USERDATA, LONG_PTR(create->lpCreateParams));
        static_cast<MainWindow*>(create->lpCreateParams)->window_ = window;
    }
    auto* self = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (!self) return DefWindowProcW(window, message, wParam, lParam);
    return self->onMessage(message, wParam, lParam);
}

LRESULT MainWindow::onMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLOREDIT:
            if (auto brush = controls_.onControlColour(HDC(wParam), HWND(lParam))) return *brush;
            break;
        case kAppendsPosted:
            onAppendsPosted();
            return 0;
        case kAddressesListed:
            onAddressesListed();
            return 0;
        case WM_TIMER:
            if (wParam == kRenderTimer) render();
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window_, message, wParam, lParam);
}

void MainWindow::onCommand(int id, int code) {
    if (code != BN_CLICKED) return;
    const WindowLayout& layout = mainWindowLayout();
    if (id == controlId(layout, control::kSendRosterButton)) {
        onSendRosterClicked();
    } else if (id == controlId(layout, control::kChooseButton)) {
        onChooseClicked();
    }
}

void MainWindow::onMainWindowCreated() {
    if (std::exchange(created_, true)) return;
    veltrano::onMainWindowCreated(StartUpSteps{
        [this] { openEndpoint(); },
        [this](const std::string& directory) { setReceiveDirectoryText(utf8ToWide(directory)); },
        [this] { startAddressWorker(); }});
}

void MainWindow::openEndpoint() {
    endpoint_.setPort(options_.port);
    endpoint_.setListenAddress(options_.listenAddress);
    if (!endpoint_.start()) {
        appendNotice(listenFailureNotice(options_.port, endpoint_.addressInUse(),
                                         systemMessageUtf8(DWORD(endpoint_.lastError()))));
    }
}

void MainWindow::startAddressWorker() {
    try {
        std::thread([appends = appends_, listAddresses = options_.listAddresses] {
            listLocalAddresses(listAddresses,
                               [&](const Text& text) { post(*appends, kAppendsPosted, text); });
            post(*appends, kAddressesListed, {});
        }).detach();
    } catch (const std::system_error&) {
        onAddressesListed();
    }
}

void MainWindow::onAddressesListed() {
    render();
    if (options_.onAddressesListed) options_.onAddressesListed();
}

void MainWindow::appendText(const Text& text) {
    post(*appends_, kAppendsPosted, text);
}

void MainWindow::onAppendsPosted() {
    {
        std::lock_guard lock(appends_->mutex);
        addressText_ += std::exchange(appends_->pending, {});
        appends_->posted = false;
    }
    scheduleRender();
}

void MainWindow::onClientArrived() {
    exchange_->onClientArrived();
    appendNotice(phoneConnectedNotice(exchange_->clientAddress()));
}

void MainWindow::onDataArrived() {
    exchange_->onDataArrived();
}

void MainWindow::onClientDeparted() {
    exchange_->onClientDeparted();
}

void MainWindow::appendNotice(const std::string& notice) {
    notices_.add(utf8ToCodePage936(notice));
    scheduleRender();
}

void MainWindow::scheduleRender() {
    if (!std::exchange(renderScheduled_, true))
        SetTimer(window_, kRenderTimer, kRenderIntervalMs, nullptr);
}

void MainWindow::render() {
    KillTimer(window_, kRenderTimer);
    renderScheduled_ = false;
    // The whole text anew, so the box holds the addresses on top and a bounded list of notices
    // under them. It shows its top, where the addresses are, which is what the user needs to
    // connect; once something has gone wrong, the latest notice instead.
    const std::wstring text = textToWide(infoBoxText(addressText_, notices_));
    HWND box = controls_.find(control::kInfoBox);
    SetWindowTextW(box, text.c_str());
    if (!notices_.empty()) SendMessageW(box, WM_VSCROLL, SB_BOTTOM, 0);
}

void MainWindow::onSendRosterClicked() {
    const Text roster = rosterWithCrLf(wideToText(windowText(controls_.find(control::kRosterBox))));
    const Text address = exchange_->clientAddress();
    const RosterPushResult result = sendRoster(roster, *exchange_, endpoint_, options_.showMessage);
    if (auto notice = rosterPushNotice(result, address, roster)) appendNotice(*notice);
}

void MainWindow::onChooseClicked() {
    if (auto chosen = chooseFolder(window_, receiveDirectoryText())) {
        setReceiveDirectoryText(*chosen);
    }
}

void MainWindow::releaseExchangeState() {
    exchange_->releaseExchangeState();
}

Text MainWindow::receiveDirectory() const {
    return wideToText(receiveDirectoryText());
}

void MainWindow::showReceivedCount(const Text& text) {
    SetWindowTextW(controls_.find(control::kCounter), textToWide(text).c_str());
}

std::wstring MainWindow::receiveDirectoryText() const {
    return windowText(controls_.find(control::kDirectoryBox));
}

void MainWindow::setReceiveDirectoryText(const std::wstring& directory) {
    SetWindowTextW(controls_.find(control::kDirectoryBox), directory.c_str());
}

}  // namespace veltrano

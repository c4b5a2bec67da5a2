#include "tests/support/win32/Pump.h"

#include <utility>

#include "shell/win32/Wide.h"

namespace veltrano::test {

bool pumpUntil(const std::function<bool()>& condition, int timeoutMs) {
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(timeoutMs);
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        if (condition()) return true;
        const ULONGLONG now = GetTickCount64();
        if (now >= deadline) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, DWORD(std::min<ULONGLONG>(deadline - now, 20)),
                                  QS_ALLINPUT);
    }
}

ModalWatch* ModalWatch::active_ = nullptr;

ModalWatch::ModalWatch(std::wstring caption, std::function<void(HWND)> action)
    : caption_(std::move(caption)), action_(std::move(action)) {
    active_ = this;
    timer_ = SetTimer(nullptr, 0, 10, onTimer);
}

ModalWatch::~ModalWatch() {
    if (timer_) KillTimer(nullptr, timer_);
    if (active_ == this) active_ = nullptr;
}

void CALLBACK ModalWatch::onTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (active_) active_->poll();
}

void ModalWatch::poll() {
    struct Search {
        const std::wstring* caption;
        HWND found = nullptr;
    } search{&caption_};
    EnumThreadWindows(
        GetCurrentThreadId(),
        [](HWND window, LPARAM context) -> BOOL {
            auto* search = reinterpret_cast<Search*>(context);
            wchar_t className[16] = {};
            GetClassNameW(window, className, 16);
            if (std::wstring(className) != L"#32770" || !IsWindowVisible(window)) return TRUE;
            if (windowText(window).rfind(*search->caption, 0) != 0) return TRUE;
            search->found = window;
            return FALSE;
        },
        LPARAM(&search));
    if (!search.found) {
        if (++attempts_ > 500) {
            KillTimer(nullptr, timer_);
            timer_ = 0;
        }
        return;
    }
    KillTimer(nullptr, timer_);
    timer_ = 0;
    found_ = true;
    action_(search.found);
}

std::vector<std::wstring> childTexts(HWND window, const wchar_t* className) {
    struct Search {
        const wchar_t* className;
        std::vector<std::wstring> texts;
    } search{className, {}};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM context) -> BOOL {
            auto* search = reinterpret_cast<Search*>(context);
            wchar_t name[32] = {};
            GetClassNameW(child, name, 32);
            if (lstrcmpiW(name, search->className) == 0) search->texts.push_back(windowText(child));
            return TRUE;
        },
        LPARAM(&search));
    return search.texts;
}

}  // namespace veltrano::test

#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace veltrano::test {

// Dispatches this thread's messages until `condition` holds or `timeoutMs` passes; true if it
// held.
bool pumpUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

// While it lives, looks every 10 ms (about five seconds at most) for a visible dialog of this
// thread whose caption starts with `caption` (any dialog when empty), and runs `action` on the
// first one found. Polling by a thread timer works inside any modal loop of this thread.
class ModalWatch {
public:
    ModalWatch(std::wstring caption, std::function<void(HWND)> action);
    ModalWatch(const ModalWatch&) = delete;
    ModalWatch& operator=(const ModalWatch&) = delete;
    ~ModalWatch();

    bool found() const { return found_; }

private:
    static void CALLBACK onTimer(HWND, UINT, UINT_PTR, DWORD);
    void poll();

    static ModalWatch* active_;
    std::wstring caption_;
    std::function<void(HWND)> action_;
    UINT_PTR timer_ = 0;
    int attempts_ = 0;
    bool found_ = false;
};

// The texts of a window's children of class `className`, in their order.
std::vector<std::wstring> childTexts(HWND window, const wchar_t* className);

}  // namespace veltrano::test

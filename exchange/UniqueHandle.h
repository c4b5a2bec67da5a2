#pragma once

#include <utility>

namespace veltrano {

// Owns one operating-system handle (HANDLE, SOCKET, HFONT, HBRUSH, HWND...) and closes it with
// `Close` unless it is `Invalid`.
template <typename T, auto Close, T Invalid = T{}>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T handle) : handle_(handle) {}
    UniqueHandle(UniqueHandle&& other) noexcept : handle_(other.release()) {}
    UniqueHandle& operator=(UniqueHandle&& other) noexcept {
        reset(other.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    T get() const { return handle_; }
    explicit operator bool() const { return handle_ != Invalid; }
    T release() { return std::exchange(handle_, Invalid); }
    void reset(T handle = Invalid) {
        if (handle_ != Invalid) Close(handle_);
        handle_ = handle;
    }

private:
    T handle_ = Invalid;
};

}  // namespace veltrano

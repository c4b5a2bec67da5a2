#pragma once

#include <winsock2.h>

#include <cstdint>
#include <string>

#include "endpoint/Win32Endpoint.h"

namespace veltrano::test {

// The phone's end of a loopback connection, blocking, with bounded waits.
class LoopbackPhone {
public:
    explicit LoopbackPhone(std::uint16_t port);
    bool connected() const { return connected_; }
    bool send(std::string_view bytes);
    // Reads until `size` bytes came or `timeoutMs` passed.
    std::string receive(std::size_t size, int timeoutMs = 5000);
    // What is waiting now, without blocking.
    std::string available();
    void close() { socket_.reset(); }

private:
    Socket socket_;
    bool connected_ = false;
};

}  // namespace veltrano::test

#include "tests/support/win32/LoopbackPhone.h"

#include <ws2tcpip.h>

namespace veltrano::test {
namespace {

// Winsock for the test's own sockets, whether or not an endpoint has started it.
SOCKET newSocket() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started ? ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP) : INVALID_SOCKET;
}

}  // namespace

LoopbackPhone::LoopbackPhone(std::uint16_t port) : socket_(newSocket()) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = socket_ && connect(socket_.get(), reinterpret_cast<const sockaddr*>(&address),
                                    sizeof address) == 0;
}

bool LoopbackPhone::send(std::string_view bytes) {
    while (!bytes.empty()) {
        const int sent = ::send(socket_.get(), bytes.data(), int(bytes.size()), 0);
        if (sent <= 0) return false;
        bytes.remove_prefix(std::size_t(sent));
    }
    return true;
}

std::string LoopbackPhone::receive(std::size_t size, int timeoutMs) {
    std::string received;
    const ULONGLONG deadline = GetTickCount64() + ULONGLONG(timeoutMs);
    while (received.size() < size && GetTickCount64() < deadline) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_.get(), &readable);
        timeval wait{0, 50 * 1000};
        if (select(0, &readable, nullptr, nullptr, &wait) <= 0) continue;
        char buffer[4096];
        const int got = recv(socket_.get(), buffer, sizeof buffer, 0);
        if (got <= 0) break;
        received.append(buffer, std::size_t(got));
    }
    return received;
}

std::string LoopbackPhone::available() {
    std::string received;
    for (;;) {
        fd_set readable;
        FD_ZERO(&readable);
        FD_SET(socket_.get(), &readable);
        timeval now{0, 0};
        if (select(0, &readable, nullptr, nullptr, &now) <= 0) return received;
        char buffer[4096];
        const int got = recv(socket_.get(), buffer, sizeof buffer, 0);
        if (got <= 0) return received;
        received.append(buffer, std::size_t(got));
    }
}

}  // namespace veltrano::test

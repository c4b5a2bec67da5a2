#include "endpoint/Win32Endpoint.h"

#include <ws2tcpip.h>

#include <utility>

namespace veltrano {
namespace {

constexpr UINT kSocketMessage = WM_APP + 1;
constexpr wchar_t kWindowClass[] = L"VeltranoEndpoint";

Text addressText(const sockaddr_in& peer) {
    char host[INET_ADDRSTRLEN] = {};
    inet_ntop(AF_INET, &peer.sin_addr, host, sizeof host);
    return std::string(host) + ":" + std::to_string(ntohs(peer.sin_port));
}

void registerWindowClass() {
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassExW(&windowClass);  // fails harmlessly when already registered
}

}  // namespace

Win32Endpoint::Win32Endpoint() {
    registerWindowClass();
    window_.reset(CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                  GetModuleHandleW(nullptr), nullptr));
    SetWindowLongPtrW(window_.get(), GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(window_.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(windowProc));
    WSADATA data;
    winsockStarted_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

Win32Endpoint::~Win32Endpoint() {
    connections_.clear();
    listener_.reset();
    window_.reset();
    if (winsockStarted_) WSACleanup();
}

bool Win32Endpoint::start() {
    listener_.reset();
    Socket socket(::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP));
    if (!socket) {
        lastError_ = WSAGetLastError();
        return false;
    }
    // Another program on the same port is refused rather than sharing it.
    BOOL exclusive = TRUE;
    setsockopt(socket.get(), SOL_SOCKET, SO_EXCLUSIVEADDRUSE,
               reinterpret_cast<const char*>(&exclusive), sizeof exclusive);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port_);
    address.sin_addr.s_addr = htonl(INADDR_ANY);
    if (!listenAddress_.empty()) inet_pton(AF_INET, listenAddress_.c_str(), &address.sin_addr);
    if (bind(socket.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 ||
        listen(socket.get(), SOMAXCONN) != 0 ||
        WSAAsyncSelect(socket.get(), window_.get(), kSocketMessage, FD_ACCEPT) != 0) {
        lastError_ = WSAGetLastError();
        return false;
    }
    lastError_ = 0;
    listener_ = std::move(socket);
    return true;
}

std::uint16_t Win32Endpoint::serverPort() const {
    sockaddr_in address{};
    int size = sizeof address;
    if (!listener_ ||
        getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &size) != 0) {
        return 0;
    }
    return ntohs(address.sin_port);
}

LRESULT CALLBACK Win32Endpoint::windowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) {
    auto* self = reinterpret_cast<Win32Endpoint*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self && message == kSocketMessage) {
        self->onSocketMessage(SOCKET(wParam), WSAGETSELECTEVENT(lParam), WSAGETSELECTERROR(lParam));
        return 0;
    }
    if (self && message == WM_TIMER) {
        self->onHoldTimer(ConnectionId(wParam));
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void Win32Endpoint::onSocketMessage(SOCKET socket, WORD event, WORD) {
    if (listener_ && socket == listener_.get()) {
        if (event == FD_ACCEPT) onAccept();
        return;
    }
    // A message posted before its socket was closed finds no connection and is ignored.
    if (!connections_.contains(socket)) return;
    // The arrival's handler runs a nested message loop: this waits until it is done.
    if (socket == accepting_) {
        deferredEvents_ |= event;
        return;
    }
    switch (event) {
        case FD_READ:
            onReadable(socket);
            break;
        case FD_WRITE:
            onWritable(socket);
            break;
        case FD_CLOSE:
            onClosed(socket);
            break;
        default:
            break;
    }
}

void Win32Endpoint::onAccept() {
    sockaddr_in peer{};
    int size = sizeof peer;
    Socket socket(accept(listener_.get(), reinterpret_cast<sockaddr*>(&peer), &size));
    if (!socket) return;
    if (WSAAsyncSelect(socket.get(), window_.get(), kSocketMessage,
                       FD_READ | FD_WRITE | FD_CLOSE) != 0) {
        return;
    }
    const SOCKET handle = socket.get();
    auto& connection = connections_[handle];
    connection.socket = std::move(socket);
    // Its id is known once the arrival has been delivered; meanwhile it is the one being accepted.
    // A nested loop in an arrival's handler may accept another connection meanwhile.
    const SOCKET outer = std::exchange(accepting_, handle);
    const WORD outerDeferred = std::exchange(deferredEvents_, WORD(0));
    connection.id = events_.arrive(addressText(peer));
    const WORD deferred = std::exchange(deferredEvents_, outerDeferred);
    accepting_ = outer;
    // Winsock posts no further FD_READ until this one has been answered with a recv.
    for (const WORD event : {WORD(FD_READ), WORD(FD_WRITE), WORD(FD_CLOSE)}) {
        if (deferred & event) onSocketMessage(handle, event, 0);
    }
}

Win32Endpoint::Drained Win32Endpoint::drain(Connection& connection) {
    std::string buffer(kReadChunkBytes, '\0');
    for (;;) {
        const int got = recv(connection.socket.get(), buffer.data(), int(buffer.size()), 0);
        if (got > 0) {
            bytesRead_ += std::uint64_t(got);
            events_.receive(connection.id, buffer.substr(0, std::size_t(got)));
            continue;
        }
        if (got < 0 && WSAGetLastError() == WSAEWOULDBLOCK) return Drained::Open;
        return Drained::Closed;
    }
}

void Win32Endpoint::onReadable(SOCKET socket) {
    // A few reads per message: each message costs a round trip through Wine's server, yet the
    // bound keeps other window messages served between the pieces of a large photo. Winsock
    // posts FD_READ again while data remains.
    for (int read = 0; read < kReadsPerMessage; ++read) {
        const auto found = connections_.find(socket);
        if (found == connections_.end()) return;  // a handler's nested loop saw it close
        const ConnectionId id = found->second.id;
        std::string buffer(kReadChunkBytes, '\0');
        const int got = recv(socket, buffer.data(), int(buffer.size()), 0);
        if (got <= 0) return;  // nothing more for now, or the close that FD_CLOSE will report
        buffer.resize(std::size_t(got));
        bytesRead_ += std::uint64_t(got);
        events_.receive(id, std::move(buffer));
        armHoldTimer(id);
        if (got < kReadChunkBytes) return;
    }
}

void Win32Endpoint::armHoldTimer(ConnectionId id) {
    if (events_.holding(id)) {
        SetTimer(window_.get(), UINT_PTR(id), UINT(ConnectionEvents::kHoldTimeout.count()),
                 nullptr);
    } else {
        KillTimer(window_.get(), UINT_PTR(id));
    }
}

void Win32Endpoint::onHoldTimer(ConnectionId id) {
    KillTimer(window_.get(), UINT_PTR(id));
    Connection* connection = byId(id);
    if (!connection) return;
    // What came meanwhile first, so a held marker is completed rather than cut.
    const SOCKET socket = connection->socket.get();
    const Drained state = drain(*connection);
    if (!connections_.contains(socket)) return;
    events_.flushHeld(id);
    if (state == Drained::Closed) {
        forget(socket);
    } else {
        armHoldTimer(id);
    }
}

void Win32Endpoint::onWritable(SOCKET socket) {
    Connection& connection = connections_.at(socket);
    while (!connection.unsent.empty()) {
        const int sent = send(socket, connection.unsent.data(), int(connection.unsent.size()), 0);
        if (sent <= 0) return;  // would block: FD_WRITE comes again
        connection.unsent.erase(0, std::size_t(sent));
    }
}

void Win32Endpoint::onClosed(SOCKET socket) {
    Connection& connection = connections_.at(socket);
    // A close that finds the socket still open with nothing to read is a stale message for an
    // earlier socket whose handle has been reused.
    if (drain(connection) == Drained::Open) return;
    if (connections_.contains(socket)) forget(socket);
}

void Win32Endpoint::forget(SOCKET socket) {
    const auto found = connections_.find(socket);
    if (found == connections_.end()) return;
    const ConnectionId id = found->second.id;
    KillTimer(window_.get(), UINT_PTR(id));
    connections_.erase(found);  // closes the socket; its queued messages are ignored
    events_.depart(id);
}

Win32Endpoint::Connection* Win32Endpoint::byId(ConnectionId id) {
    for (auto& [socket, connection] : connections_) {
        if (connection.id == id) return &connection;
    }
    // A send from the arrival's own handler: the only live id without a connection is its.
    if (accepting_ != INVALID_SOCKET) return &connections_.at(accepting_);
    return nullptr;
}

bool Win32Endpoint::sendData(const Text& address, const Bytes& data) {
    const auto id = events_.find(address);
    Connection* connection = id ? byId(*id) : nullptr;
    if (!connection) return false;
    connection->unsent += data;
    onWritable(connection->socket.get());
    return true;
}

bool Win32Endpoint::holdingBytes() const {
    for (const auto& [socket, connection] : connections_) {
        if (events_.holding(connection.id)) return true;
    }
    return false;
}

}  // namespace veltrano

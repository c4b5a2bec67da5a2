#pragma once

#include <windows.h>
#include <winsock2.h>

#include <cstdint>
#include <string>
#include <unordered_map>

#include "endpoint/ConnectionEvents.h"
#include "exchange/Endpoint.h"
#include "exchange/UniqueHandle.h"

namespace veltrano {

using Socket = UniqueHandle<SOCKET, closesocket, INVALID_SOCKET>;
using Window = UniqueHandle<HWND, DestroyWindow, nullptr>;

// The listening TCP server on the window's message loop. WSAAsyncSelect posts every socket event
// to a message-only window of the endpoint's own, so they are handled on the GUI thread between
// other window messages; ConnectionEvents hands them on one at a time, never re-entered, even
// when a message box's modal loop dispatches them. Clients are named "ip:port".
class Win32Endpoint final : public Endpoint {
public:
    static constexpr int kReadChunkBytes = 64 * 1024;
    static constexpr int kReadsPerMessage = 16;

    Win32Endpoint();
    Win32Endpoint(const Win32Endpoint&) = delete;
    Win32Endpoint& operator=(const Win32Endpoint&) = delete;
    ~Win32Endpoint() override;

    void setListener(EndpointListener* listener) override { events_.setListener(listener); }
    void setPort(std::uint16_t port) { port_ = port; }
    // A dotted IPv4 address; every address unless told otherwise (tests keep to loopback).
    void setListenAddress(std::string address) { listenAddress_ = std::move(address); }

    // Starts listening; false with lastError() when the port cannot be opened.
    bool start();
    bool isListening() const { return bool(listener_); }
    std::uint16_t serverPort() const;
    int lastError() const { return lastError_; }
    bool addressInUse() const { return lastError_ == WSAEADDRINUSE; }

    Text takeClientAddress() override { return events_.takeClientAddress(); }
    Bytes takeData() override { return events_.takeData(); }
    ConnectionId eventConnection() const override { return events_.eventConnection(); }
    // Queues what the socket cannot take at once and sends it as it drains.
    bool sendData(const Text& address, const Bytes& data) override;

    // Bytes read from every client so far, and whether any are held back: tests wait on these.
    std::uint64_t bytesRead() const { return bytesRead_; }
    bool holdingBytes() const;

private:
    struct Connection {
        ConnectionId id;
        Socket socket;
        std::string unsent;  // what the socket could not take yet; sent on FD_WRITE
    };

    static LRESULT CALLBACK windowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void onSocketMessage(SOCKET socket, WORD event, WORD error);
    void onHoldTimer(ConnectionId id);
    void onAccept();
    void onReadable(SOCKET socket);
    void onWritable(SOCKET socket);
    void onClosed(SOCKET socket);
    // Reads what the socket holds; false when it has nothing more and is still open.
    enum class Drained { Open, Closed };
    Drained drain(Connection& connection);
    void armHoldTimer(ConnectionId id);
    void forget(SOCKET socket);
    Connection* byId(ConnectionId id);

    Window window_;
    Socket listener_;
    std::uint16_t port_ = 0;
    std::string listenAddress_;
    int lastError_ = 0;
    std::uint64_t bytesRead_ = 0;
    bool winsockStarted_ = false;
    SOCKET accepting_ = INVALID_SOCKET;
    WORD deferredEvents_ = 0;  // what came for it meanwhile
    // Keyed by socket: a message for a socket no longer here is ignored.
    std::unordered_map<SOCKET, Connection> connections_;
    ConnectionEvents events_;
};

}  // namespace veltrano

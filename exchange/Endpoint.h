#pragma once

#include <cstdint>

#include "text/Text.h"

namespace veltrano {

// Names one connection for as long as it lasts; never 0, never reused by the same endpoint.
using ConnectionId = std::uint64_t;

// What an endpoint tells its owner, one event at a time on the event-loop thread.
class EndpointListener {
public:
    virtual ~EndpointListener() = default;

    virtual void onClientArrived() = 0;
    // One piece of a client's stream: a start of file, an end of file, or content.
    virtual void onDataArrived() = 0;
    virtual void onClientDeparted() = 0;
};

// What the exchange needs of the listening server. The take* calls and eventConnection answer for
// the event being handled.
class Endpoint {
public:
    virtual ~Endpoint() = default;

    // Where events go from now on; nullptr stops them.
    virtual void setListener(EndpointListener* listener) = 0;

    // The address of the client whose event is being handled; it names that client in sendData.
    virtual Text takeClientAddress() = 0;

    // The bytes of the data-arrival event being handled, handed over once; may hold zero bytes.
    virtual Bytes takeData() = 0;

    // The connection whose event is being handled.
    virtual ConnectionId eventConnection() const = 0;

    // Sends `data` to the client named by `address`. False, and nothing sent, when no connected
    // client has that address (it has gone, or never was).
    virtual bool sendData(const Text& address, const Bytes& data) = 0;
};

}  // namespace veltrano

#pragma once

#include "text/Text.h"

namespace veltrano {

// What the exchange needs of the listening server. Events are delivered one at a time on one
// thread; the take* calls answer for the event being handled.
class Endpoint {
public:
    virtual ~Endpoint() = default;

    // The address of the client whose arrival is being handled; it names that client in sendData.
    virtual Text takeClientAddress() = 0;

    // The bytes of the data-arrival event being handled, handed over once; may hold zero bytes.
    virtual Bytes takeData() = 0;

    // Sends `data` to the client named by `address`; quietly does nothing if it is gone or unknown.
    virtual void sendData(const Text& address, const Bytes& data) = 0;
};

}  // namespace veltrano

#pragma once

#include <utility>
#include <vector>

#include "exchange/Endpoint.h"

namespace veltrano::test {

// An endpoint driven by the test: it names the event's client, connection and data, and records
// what is sent. `connected` is what sendData answers.
class FakeEndpoint final : public Endpoint {
public:
    Text nextAddress;
    Bytes nextData;
    ConnectionId nextConnection = 1;
    bool connected = true;
    EndpointListener* listener = nullptr;
    std::vector<std::pair<Text, Bytes>> sent;

    void setListener(EndpointListener* newListener) override { listener = newListener; }
    Text takeClientAddress() override { return nextAddress; }
    Bytes takeData() override { return nextData; }
    ConnectionId eventConnection() const override { return nextConnection; }
    bool sendData(const Text& address, const Bytes& data) override {
        if (!connected) return false;
        sent.emplace_back(address, data);
        return true;
    }
};

}  // namespace veltrano::test

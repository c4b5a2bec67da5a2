#pragma once

#include <utility>
#include <vector>

#include "exchange/Endpoint.h"

namespace veltrano::test {

// An endpoint driven by the test: it names the event's client and data and records what is sent.
class FakeEndpoint final : public Endpoint {
public:
    Text nextAddress;
    Bytes nextData;
    std::vector<std::pair<Text, Bytes>> sent;

    Text takeClientAddress() override { return nextAddress; }
    Bytes takeData() override { return nextData; }
    void sendData(const Text& address, const Bytes& data) override {
        sent.emplace_back(address, data);
    }
};

}  // namespace veltrano::test

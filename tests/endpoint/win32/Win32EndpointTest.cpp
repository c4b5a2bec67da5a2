#include <gtest/gtest.h>

#include <functional>
#include <random>
#include <string>
#include <vector>

#include "endpoint/Win32Endpoint.h"
#include "tests/support/win32/LoopbackPhone.h"
#include "tests/support/win32/Pump.h"

namespace veltrano {
namespace {

using namespace std::string_literals;

using test::LoopbackPhone;
using test::pumpUntil;

struct Event {
    char kind;  // 'A'rrived, 'D'ata, 'X' departed
    Text address;
    Bytes data;
};

// Records what the endpoint delivers, and how deeply its calls were nested.
class RecordingListener final : public EndpointListener {
public:
    explicit RecordingListener(Win32Endpoint& endpoint) : endpoint_(endpoint) {}

    void onClientArrived() override {
        const Text address = endpoint_.takeClientAddress();
        record('A', address, {});
        if (duringArrival) duringArrival(address);
    }
    void onDataArrived() override {
        record('D', endpoint_.takeClientAddress(), endpoint_.takeData());
    }
    void onClientDeparted() override { record('X', endpoint_.takeClientAddress(), {}); }

    Bytes dataFrom(const Text& address) const {
        Bytes all;
        for (const Event& event : events) {
            if (event.kind == 'D' && event.address == address) all += event.data;
        }
        return all;
    }

    std::vector<Event> events;
    int depth = 0;
    int deepest = 0;
    // Run inside the first data event, as a message box's modal loop would.
    std::function<void()> duringFirstData;
    std::function<void(const Text&)> duringArrival;

private:
    void record(char kind, Text address, Bytes data) {
        deepest = std::max(deepest, ++depth);
        events.push_back({kind, std::move(address), std::move(data)});
        if (kind == 'D' && duringFirstData) std::exchange(duringFirstData, {})();
        --depth;
    }

    Win32Endpoint& endpoint_;
};

struct EndpointFixture {
    EndpointFixture() {
        endpoint.setListener(&listener);
        endpoint.setListenAddress("127.0.0.1");
        endpoint.setPort(0);
        EXPECT_TRUE(endpoint.start());
    }
    // Connects a phone and returns the address the endpoint gave it.
    std::pair<std::unique_ptr<LoopbackPhone>, Text> connect() {
        const std::size_t before = listener.events.size();
        auto phone = std::make_unique<LoopbackPhone>(endpoint.serverPort());
        EXPECT_TRUE(phone->connected());
        EXPECT_TRUE(pumpUntil([&] { return listener.events.size() > before; }));
        return {std::move(phone), listener.events.back().address};
    }

    Win32Endpoint endpoint;
    RecordingListener listener{endpoint};
};

std::string randomBytes(std::size_t size, unsigned seed) {
    std::string bytes(size, '\0');
    std::mt19937 random(seed);
    for (auto& byte : bytes) byte = char(random());
    return bytes;
}

TEST(Win32Endpoint, DeliversEachConnectionsBytesInOrderUnderItsOwnAddress) {
    EndpointFixture f;
    auto [first, firstAddress] = f.connect();
    auto [second, secondAddress] = f.connect();
    EXPECT_EQ(firstAddress.rfind("127.0.0.1:", 0), 0u);
    EXPECT_NE(firstAddress, secondAddress);

    const std::string photo = randomBytes(1 << 20, 7);  // many reads of 64 KiB
    const std::string small = "\0zero and more\0"s;
    ASSERT_TRUE(first->send(photo));
    ASSERT_TRUE(second->send(small));
    EXPECT_TRUE(pumpUntil([&] {
        return f.listener.dataFrom(firstAddress).size() == photo.size() &&
               f.listener.dataFrom(secondAddress).size() == small.size();
    }));
    EXPECT_EQ(f.listener.dataFrom(firstAddress), photo);
    EXPECT_EQ(f.listener.dataFrom(secondAddress), small);

    first->close();
    EXPECT_TRUE(pumpUntil([&] { return f.listener.events.back().kind == 'X'; }));
    EXPECT_EQ(f.listener.events.back().address, firstAddress);
    EXPECT_EQ(f.listener.deepest, 1);
}

TEST(Win32Endpoint, NeverReentersTheListenerWhenAHandlerRunsAModalLoop) {
    EndpointFixture f;
    auto [phone, address] = f.connect();
    auto [other, otherAddress] = f.connect();
    // While the first piece is being handled, more arrives and the messages are dispatched, as
    // they are inside MessageBoxW.
    f.listener.duringFirstData = [&, &other = other] {
        other->send("second phone");
        pumpUntil([] { return false; }, 300);
    };
    ASSERT_TRUE(phone->send("first"));
    EXPECT_TRUE(pumpUntil([&] { return f.listener.dataFrom(otherAddress) == "second phone"; }));
    EXPECT_EQ(f.listener.dataFrom(address), "first");
    EXPECT_EQ(f.listener.deepest, 1);
}

TEST(Win32Endpoint, SendsToTheNamedClientAndQuietlyToNoOne) {
    EndpointFixture f;
    auto [phone, address] = f.connect();
    f.endpoint.sendData("203.0.113.9:1", "nobody");
    f.endpoint.sendData(address, "STAT||roster||END");
    EXPECT_EQ(phone->receive(17), "STAT||roster||END");

    phone->close();
    EXPECT_TRUE(pumpUntil([&] { return f.listener.events.back().kind == 'X'; }));
    f.endpoint.sendData(address, "gone");  // nothing to send to, nothing happens
    auto [next, nextAddress] = f.connect();
    EXPECT_EQ(next->available(), "");
}

TEST(Win32Endpoint, AnArrivalsOwnHandlerCanSendAndRunAModalLoop) {
    // The connection had no id until its arrival was delivered: a send from that handler went
    // nowhere, and bytes read meanwhile were dropped.
    EndpointFixture f;
    bool sent = false;
    f.listener.duringArrival = [&](const Text& address) {
        sent = f.endpoint.sendData(address, "hello");
        pumpUntil([] { return false; }, 300);
    };
    LoopbackPhone phone(f.endpoint.serverPort());
    ASSERT_TRUE(phone.connected());
    ASSERT_TRUE(phone.send("early bytes"));
    ASSERT_TRUE(pumpUntil([&] { return !f.listener.events.empty(); }));
    const Text address = f.listener.events.front().address;
    EXPECT_TRUE(pumpUntil([&] { return f.listener.dataFrom(address) == "early bytes"; }));
    EXPECT_TRUE(sent);
    EXPECT_EQ(phone.receive(5), "hello");
    EXPECT_EQ(f.listener.deepest, 1);
}

TEST(Win32Endpoint, ReportsAPortThatIsTaken) {
    EndpointFixture f;
    Win32Endpoint second;
    second.setListenAddress("127.0.0.1");
    second.setPort(f.endpoint.serverPort());
    EXPECT_FALSE(second.start());
    EXPECT_TRUE(second.addressInUse());
}

}  // namespace
}  // namespace veltrano

#pragma once

#include <chrono>
#include <deque>
#include <optional>
#include <unordered_map>
#include <vector>

#include "endpoint/PieceSplitter.h"
#include "exchange/Endpoint.h"

namespace veltrano {

// What every event-loop adapter of the endpoint shares: a record per connection (its address and
// the splitter of its stream) and the delivery of events to the listener, one at a time. An event
// raised while another is being delivered (a handler that runs a nested event loop) waits until
// that one is done, so a handler never runs inside another.
class ConnectionEvents {
public:
    // How long bytes held back at the end of a read wait for the next read before they go out as
    // they stand. Shorter than the phone's pause after a marker, long enough to join a name cut
    // in two by the network.
    static constexpr std::chrono::milliseconds kHoldTimeout{30};

    void setListener(EndpointListener* listener) { listener_ = listener; }

    // A new connection: delivers its arrival.
    ConnectionId arrive(Text address);
    // Delivers each piece of the connection's stream that `read` completes.
    void receive(ConnectionId connection, Bytes read);
    // True when bytes are held back: call flushHeld after kHoldTimeout without a read.
    bool holding(ConnectionId connection) const;
    void flushHeld(ConnectionId connection);
    // The connection has ended: delivers what was held, then its departure, and forgets it.
    void depart(ConnectionId connection);

    const Text* address(ConnectionId connection) const;
    std::optional<ConnectionId> find(const Text& address) const;

    // For the event being delivered.
    Text takeClientAddress() const { return current_.address; }
    Bytes takeData() { return std::move(current_.data); }
    ConnectionId eventConnection() const { return current_.connection; }

private:
    struct Record {
        Text address;
        PieceSplitter splitter;
        bool departing = false;  // its departure is on its way: it takes no more bytes
    };
    struct Event {
        enum class Kind { Arrived, Data, Departed } kind = Kind::Data;
        ConnectionId connection = 0;
        Text address;
        Bytes data;
    };

    void post(Event event);
    void deliver(Event event);
    void postPieces(ConnectionId connection, std::vector<Bytes> pieces);

    EndpointListener* listener_ = nullptr;
    std::unordered_map<ConnectionId, Record> records_;
    ConnectionId lastConnection_ = 0;
    std::deque<Event> waiting_;
    bool delivering_ = false;
    Event current_;
};

}  // namespace veltrano

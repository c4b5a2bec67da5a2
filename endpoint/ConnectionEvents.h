#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
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

    // The most connections held at once. A school has a few phones; a scan or a flood opens many
    // more, and past this each new connection takes the place of the least needed one.
    static constexpr std::size_t kMaxConnections = 256;

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

    // The connections not departing.
    std::size_t size() const { return records_.size() - departing_; }
    // The connection to let go to make room for another: of those that never announced a file,
    // the one silent longest; when every one has announced, the one silent longest of all
    // (a phone in the middle of a file is never silent for long). Nothing when there is none.
    std::optional<ConnectionId> leastNeeded() const;

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
        bool departing = false;       // its departure is on its way: it takes no more bytes
        bool announced = false;       // it has sent a start of file
        std::uint64_t lastHeard = 0;  // when it arrived or last sent bytes, on activityClock_
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
    std::uint64_t activityClock_ = 0;  // counts arrivals and reads: orders connections by silence
    std::size_t departing_ = 0;
    std::deque<Event> waiting_;
    bool delivering_ = false;
    Event current_;
};

}  // namespace veltrano

#include "endpoint/ConnectionEvents.h"

#include <utility>

#include "exchange/Protocol.h"

namespace veltrano {

ConnectionId ConnectionEvents::arrive(Text address) {
    const ConnectionId connection = ++lastConnection_;
    records_.emplace(connection, Record{address, {}, false, false, ++activityClock_});
    post({Event::Kind::Arrived, connection, std::move(address), {}});
    return connection;
}

void ConnectionEvents::receive(ConnectionId connection, Bytes read) {
    const auto found = records_.find(connection);
    if (found == records_.end() || found->second.departing || read.empty()) return;
    found->second.lastHeard = ++activityClock_;
    std::vector<Bytes> pieces;
    const std::string_view whole(read);
    found->second.splitter.feed(whole, [&](std::string_view piece) {
        // Most reads are one piece of a photo: hand the buffer over rather than copy it.
        const bool all = piece.data() == whole.data() && piece.size() == whole.size();
        pieces.push_back(all ? std::move(read) : Bytes(piece));
    });
    postPieces(connection, std::move(pieces));
}

bool ConnectionEvents::holding(ConnectionId connection) const {
    const auto found = records_.find(connection);
    return found != records_.end() && found->second.splitter.holding();
}

void ConnectionEvents::flushHeld(ConnectionId connection) {
    const auto found = records_.find(connection);
    if (found == records_.end()) return;
    std::vector<Bytes> pieces;
    found->second.splitter.flush([&](std::string_view piece) { pieces.emplace_back(piece); });
    postPieces(connection, std::move(pieces));
}

// The splitter is done before any piece is delivered, so a handler may end the connection.
void ConnectionEvents::postPieces(ConnectionId connection, std::vector<Bytes> pieces) {
    Record& record = records_.at(connection);
    // The splitter begins every start-of-file piece with the marker itself.
    for (const Bytes& piece : pieces) {
        if (piece.starts_with(kStartOfFileMarker)) record.announced = true;
    }
    // Delivering may end the connection and its record: nothing of it is used after this.
    const Text address = record.address;
    for (Bytes& piece : pieces) post({Event::Kind::Data, connection, address, std::move(piece)});
}

void ConnectionEvents::depart(ConnectionId connection) {
    const auto found = records_.find(connection);
    if (found == records_.end() || found->second.departing) return;
    flushHeld(connection);
    found->second.departing = true;
    ++departing_;
    post({Event::Kind::Departed, connection, found->second.address, {}});
}

const Text* ConnectionEvents::address(ConnectionId connection) const {
    const auto found = records_.find(connection);
    return found == records_.end() || found->second.departing ? nullptr : &found->second.address;
}

std::optional<ConnectionId> ConnectionEvents::leastNeeded() const {
    std::optional<ConnectionId> chosen;
    const Record* chosenRecord = nullptr;
    for (const auto& [connection, record] : records_) {
        if (record.departing) continue;
        const bool better =
            chosenRecord == nullptr || (record.announced == chosenRecord->announced
                                            ? record.lastHeard < chosenRecord->lastHeard
                                            : !record.announced);
        if (better) {
            chosen = connection;
            chosenRecord = &record;
        }
    }
    return chosen;
}

std::optional<ConnectionId> ConnectionEvents::find(const Text& address) const {
    for (const auto& [connection, record] : records_) {
        if (record.address == address && !record.departing) return connection;
    }
    return std::nullopt;
}

void ConnectionEvents::post(Event event) {
    if (delivering_) {
        waiting_.push_back(std::move(event));
        return;
    }
    deliver(std::move(event));
    while (!waiting_.empty()) {
        Event next = std::move(waiting_.front());
        waiting_.pop_front();
        deliver(std::move(next));
    }
}

void ConnectionEvents::deliver(Event event) {
    const auto found = records_.find(event.connection);
    // Nothing of a connection is delivered after its departure.
    if (found == records_.end()) return;
    if (event.kind == Event::Kind::Departed) {
        records_.erase(found);
        --departing_;
    }
    if (listener_ == nullptr) return;
    delivering_ = true;
    current_ = std::move(event);
    switch (current_.kind) {
        case Event::Kind::Arrived:
            listener_->onClientArrived();
            break;
        case Event::Kind::Data:
            listener_->onDataArrived();
            break;
        case Event::Kind::Departed:
            listener_->onClientDeparted();
            break;
    }
    current_.data.clear();
    delivering_ = false;
}

}  // namespace veltrano

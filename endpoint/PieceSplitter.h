#pragma once

#include <functional>
#include <string_view>

#include "text/Text.h"

namespace veltrano {

// Recovers the phone's pieces from one connection's byte stream, however the network cut or
// joined them into reads.
//
// The phone writes each marker on its own and relies on pauses to keep them apart; a receiver
// that falls behind finds several of them in one read. So:
//   - every literal "STAT||" begins a start-of-file piece, which goes on over the run of printable
//     ASCII bytes (0x20 to 0x7E) after it: the percent-encoded name. The run ends at the first
//     other byte (a photo's first byte is not printable), at the next marker, or past
//     kMaxNameBytes, when the piece is cut there and the rest of the run dropped;
//   - every literal "END||" is a piece of its own;
//   - the bytes between are content, delivered in order in pieces of any size.
// What might be the start of a marker, or a name, at the end of a read is held back until the
// next read, or until flush() (after a short idle time or when the connection ends).
class PieceSplitter {
public:
    // Receives each piece; the view lasts until the callback returns.
    using Sink = std::function<void(std::string_view piece)>;

    // Delivers every piece that `bytes` completes, in order.
    void feed(std::string_view bytes, const Sink& sink);

    // Delivers what is held back as it stands.
    void flush(const Sink& sink);

    // True when bytes are held back, waiting for the next read or a flush.
    bool holding() const { return !held_.empty(); }

private:
    enum class State {
        Content,   // held_: a possible beginning of a marker
        Name,      // held_: "STAT||" and the name so far
        SkipName,  // the rest of an overlong name; held_: its last bytes, which may begin a marker
    };

    void scan(std::string_view bytes, const Sink& sink);
    // From `from` in a name run that began at `nameStart`: the run's end, or npos at the end of
    // `bytes` (the run may go on in the next read).
    static std::size_t nameRunEnd(std::string_view bytes, std::size_t nameStart, std::size_t from);

    State state_ = State::Content;
    Bytes held_;
};

}  // namespace veltrano

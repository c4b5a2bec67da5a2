// The splitter against itself: a stream cut into reads anywhere gives the same pieces as the
// stream in one read, and every byte comes out but the tail of an overlong name.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "endpoint/PieceSplitter.h"
#include "exchange/Protocol.h"

namespace {

void check(bool condition) {
    if (!condition) std::abort();
}

// Markers and names as they are, neighbouring content pieces as one.
std::vector<std::string> normalised(const std::vector<std::string>& pieces) {
    std::vector<std::string> result;
    bool lastWasContent = false;
    for (const std::string& piece : pieces) {
        const bool content =
            !piece.starts_with(veltrano::kStartOfFileMarker) && piece != veltrano::kEndOfFileMarker;
        if (content && lastWasContent) {
            result.back() += piece;
        } else {
            result.push_back(piece);
        }
        lastWasContent = content;
    }
    return result;
}

std::vector<std::string> split(std::string_view stream, const std::vector<std::size_t>& cuts) {
    std::vector<std::string> pieces;
    const auto sink = [&](std::string_view piece) {
        check(!piece.empty());
        pieces.emplace_back(piece);
    };
    veltrano::PieceSplitter splitter;
    std::size_t from = 0;
    for (const std::size_t cut : cuts) {
        splitter.feed(stream.substr(from, cut - from), sink);
        from = cut;
    }
    splitter.feed(stream.substr(from), sink);
    splitter.flush(sink);
    check(!splitter.holding());
    return pieces;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    // The first two bytes choose where the reads end.
    std::uint32_t state = data[0] * 256u + data[1] + 1;
    const std::string_view stream(reinterpret_cast<const char*>(data + 2), size - 2);
    std::vector<std::size_t> cuts;
    for (std::size_t at = 0; stream.size() > 1;) {
        state = state * 1103515245u + 12345u;
        at += 1 + (state >> 16) % 64;
        if (at >= stream.size()) break;
        cuts.push_back(at);
    }
    const std::vector<std::string> whole = split(stream, {});
    check(normalised(split(stream, cuts)) == normalised(whole));

    std::string out;
    for (const std::string& piece : whole) out += piece;
    if (stream.size() <= veltrano::kMaxNameBytes) check(out == stream);
    return 0;
}

#include "endpoint/PieceSplitter.h"

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif
#include <bit>
#include <cstdint>
#include <cstring>
#include <optional>
#include <utility>

#include "exchange/Protocol.h"

namespace veltrano {
namespace {

constexpr std::size_t npos = std::string_view::npos;

bool isNameByte(char byte) {
    const auto value = static_cast<unsigned char>(byte);
    return value >= 0x20 && value <= 0x7E;
}

// Both markers end in "||": the marker whose bars start at `bar`, if one begins at or after `from`.
std::optional<std::size_t> markerEndingAt(std::string_view bytes, std::size_t bar, std::size_t from,
                                          std::string_view* marker) {
    for (const std::string_view candidate : {kStartOfFileMarker, kEndOfFileMarker}) {
        const std::size_t head = candidate.size() - 2;
        if (bar >= from + head && bytes.substr(bar - head, head) == candidate.substr(0, head)) {
            *marker = candidate;
            return bar - head;
        }
    }
    return std::nullopt;
}

#if defined(__x86_64__) && defined(__GNUC__)
#define VELTRANO_X86_64 1

// Photo bytes hold a "|" every 256 bytes or so but two in a row only every 64 KiB, so the pair is
// what is searched for, 64 bytes at a time, with the widest vectors the processor has.
constexpr std::size_t kBlock = 64;

// Of the 64 bytes at `data`, those that are a "|" followed by another; the last byte's next is
// data[64].
std::uint64_t pairsIn(const char* data, std::uint64_t bars) {
    return bars & ((bars >> 1) | (std::uint64_t(data[kBlock] == '|') << 63));
}

__attribute__((target("avx2"))) std::size_t findDoubleBarAvx2(const char* data, std::size_t at,
                                                              std::size_t size) {
    const __m256i bar = _mm256_set1_epi8('|');
    for (; at + kBlock < size; at += kBlock) {
        const __m256i low =
            _mm256_cmpeq_epi8(_mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at)), bar);
        const __m256i high = _mm256_cmpeq_epi8(
            _mm256_loadu_si256(reinterpret_cast<const __m256i*>(data + at + 32)), bar);
        if (_mm256_testz_si256(_mm256_or_si256(low, high), _mm256_or_si256(low, high))) continue;
        const std::uint64_t bars = std::uint64_t(unsigned(_mm256_movemask_epi8(low))) |
                                   std::uint64_t(unsigned(_mm256_movemask_epi8(high))) << 32;
        if (const std::uint64_t pairs = pairsIn(data + at, bars)) {
            return at + std::size_t(std::countr_zero(pairs));
        }
    }
    return at;
}
#endif

// The first "||" at or after `from`, or npos.
std::size_t findDoubleBar(std::string_view bytes, std::size_t from) {
    const char* data = bytes.data();
    std::size_t at = from;
#if VELTRANO_X86_64
    static const bool avx2 = __builtin_cpu_supports("avx2");
    if (avx2) {
        at = findDoubleBarAvx2(data, at, bytes.size());
        // The vector loop stops at a pair, or where fewer than a block's bytes are left.
        for (; at + 1 < bytes.size(); ++at) {
            if (data[at] == '|' && data[at + 1] == '|') return at;
        }
        return npos;
    }
#endif
    while (at + 1 < bytes.size()) {
        const void* hit = std::memchr(data + at, '|', bytes.size() - at - 1);
        if (hit == nullptr) return npos;
        at = std::size_t(static_cast<const char*>(hit) - data);
        if (data[at + 1] == '|') return at;
        at += 2;  // the next byte is no bar, so no pair starts there either
    }
    return npos;
}

// The first marker that begins at or after `from`, or npos.
std::size_t findMarker(std::string_view bytes, std::size_t from, std::string_view* marker) {
    for (std::size_t at = from;;) {
        const std::size_t bar = findDoubleBar(bytes, at);
        if (bar == npos) return npos;
        if (const auto begin = markerEndingAt(bytes, bar, from, marker)) return *begin;
        at = bar + 1;
    }
}

// The length of the longest end of `bytes` that a marker could go on from.
std::size_t markerPrefixAtEnd(std::string_view bytes) {
    for (std::size_t length = std::min<std::size_t>(bytes.size(), kStartOfFileMarker.size() - 1);
         length > 0; --length) {
        const std::string_view end = bytes.substr(bytes.size() - length);
        if (kStartOfFileMarker.starts_with(end) || kEndOfFileMarker.starts_with(end)) return length;
    }
    return 0;
}

}  // namespace

std::size_t PieceSplitter::nameRunEnd(std::string_view bytes, std::size_t nameStart,
                                      std::size_t from) {
    std::string_view marker;
    for (std::size_t at = from; at < bytes.size(); ++at) {
        if (!isNameByte(bytes[at])) return at;
        if (bytes[at] == '|' && at + 1 < bytes.size() && bytes[at + 1] == '|') {
            if (const auto begin = markerEndingAt(bytes, at, nameStart, &marker)) return *begin;
        }
    }
    return npos;
}

void PieceSplitter::feed(std::string_view bytes, const Sink& sink) {
    if (held_.empty()) {
        scan(bytes, sink);
        return;
    }
    // Rare: only when a read ended inside a marker or a name. What was held goes first.
    Bytes joined = std::move(held_);
    held_.clear();
    joined.append(bytes);
    const State state = state_;
    state_ = State::Content;
    if (state != State::SkipName) {
        scan(joined, sink);
        return;
    }
    const std::size_t end = nameRunEnd(joined, 0, 0);
    if (end == npos) {
        held_.assign(joined, joined.size() - std::min<std::size_t>(joined.size(), 5));
        state_ = State::SkipName;
        return;
    }
    scan(std::string_view(joined).substr(end), sink);
}

void PieceSplitter::scan(std::string_view bytes, const Sink& sink) {
    std::size_t contentBegin = 0;
    std::string_view marker;
    for (std::size_t begin = findMarker(bytes, 0, &marker); begin != npos;
         begin = findMarker(bytes, contentBegin, &marker)) {
        if (begin > contentBegin) sink(bytes.substr(contentBegin, begin - contentBegin));
        if (marker == kEndOfFileMarker) {
            sink(bytes.substr(begin, marker.size()));
            contentBegin = begin + marker.size();
            continue;
        }
        const std::size_t nameStart = begin + marker.size();
        const std::size_t end = nameRunEnd(bytes, nameStart, nameStart);
        const std::size_t runEnd = end == npos ? bytes.size() : end;
        if (runEnd - nameStart > kMaxNameBytes) {
            // One byte past the bound, so that the receiver refuses it as too long.
            sink(bytes.substr(begin, marker.size() + kMaxNameBytes + 1));
            if (end == npos) {
                held_.assign(bytes.substr(bytes.size() - 5));
                state_ = State::SkipName;
                return;
            }
        } else if (end == npos) {
            held_.assign(bytes.substr(begin));
            state_ = State::Name;
            return;
        } else {
            sink(bytes.substr(begin, end - begin));
        }
        contentBegin = end;
    }
    const std::string_view rest = bytes.substr(contentBegin);
    const std::size_t heldBack = markerPrefixAtEnd(rest);
    if (rest.size() > heldBack) sink(rest.substr(0, rest.size() - heldBack));
    held_.assign(rest.substr(rest.size() - heldBack));
}

void PieceSplitter::flush(const Sink& sink) {
    const Bytes held = std::move(held_);
    held_.clear();
    const State state = std::exchange(state_, State::Content);
    // An overlong name's tail is dropped; anything else goes out as it stands.
    if (!held.empty() && state != State::SkipName) sink(held);
}

}  // namespace veltrano

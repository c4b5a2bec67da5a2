#include "text/Utf8To936Table.h"

#include <array>
#include <cstdint>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

#include "text/CodePage.h"

namespace veltrano {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Each BMP code point's bytes: one byte, lead << 8 | trail, or nothing at all (the conversion
// drops some invisible characters rather than writing "?").
class Table {
public:
    Table() {
        for (char32_t c = 0; c < 0x10000; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF) continue;
            const Text bytes = fromWide(WideText(1, static_cast<char16_t>(c)), kCodePage936, true);
            if (bytes.size() == 1) {
                entries_[c] = static_cast<unsigned char>(bytes[0]);
            } else if (bytes.size() == 2) {
                entries_[c] = std::uint16_t(static_cast<unsigned char>(bytes[0]) << 8 |
                                            static_cast<unsigned char>(bytes[1]));
            } else {
                entries_[c] = kNothing;
            }
            // Some characters fall back to an ASCII byte (U+00A6 to "|", U+00DE to "T").
            if (c >= 0x80 && bytes.size() == 1 && static_cast<unsigned char>(bytes[0]) < 0x80) {
                fallbacksTo_[static_cast<unsigned char>(bytes[0])].push_back(encodeUtf8(c));
            }
        }
    }

    // The UTF-8 forms of the characters other than ASCII itself that become `ascii`.
    const std::vector<std::string>& fallbacksTo(unsigned char ascii) const {
        return fallbacksTo_[ascii];
    }

    static std::string encodeUtf8(char32_t c) {
        if (c < 0x800) return {char(0xC0 | c >> 6), char(0x80 | (c & 0x3F))};
        return {char(0xE0 | c >> 12), char(0x80 | (c >> 6 & 0x3F)), char(0x80 | (c & 0x3F))};
    }

    void append(Text& out, char32_t c) const {
        if (c >= 0x10000) {
            // Rare enough to ask the conversion each time.
            const char32_t offset = c - 0x10000;
            const char16_t pair[] = {char16_t(0xD800 + (offset >> 10)),
                                     char16_t(0xDC00 + (offset & 0x3FF))};
            out += fromWide(WideText(pair, 2), kCodePage936, true);
            return;
        }
        const std::uint16_t entry = entries_[c];
        if (entry == kNothing) return;
        if (entry > 0xFF) out.push_back(static_cast<char>(entry >> 8));
        out.push_back(static_cast<char>(entry & 0xFF));
    }

private:
    // No code page 936 character ends in 0xFF.
    static constexpr std::uint16_t kNothing = 0xFFFF;
    std::array<std::uint16_t, 0x10000> entries_{};
    std::array<std::vector<std::string>, 0x80> fallbacksTo_;
};

const Table& table() {
    static const auto instance = std::make_unique<Table>();
    return *instance;
}

bool inRange(unsigned char byte, unsigned char low, unsigned char high) {
    return byte >= low && byte <= high;
}

void convertInto(Text& out, std::string_view text) {
    const Table& map = table();
    const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
    const std::size_t n = text.size();
    std::size_t i = 0;
    while (i < n) {
        const unsigned char lead = bytes[i];
        if (lead < 0x80) {
            // Runs of ASCII are the common case and read the same in both.
            std::size_t end = i + 1;
            while (end < n && bytes[end] < 0x80) ++end;
            out.append(text, i, end - i);
            i = end;
            continue;
        }
        // Length of the sequence and the range allowed for its second byte (Unicode table 3-7).
        int length = 0;
        unsigned char low = 0x80, high = 0xBF;
        char32_t value = 0;
        if (inRange(lead, 0xC2, 0xDF)) {
            length = 2;
            value = lead & 0x1F;
        } else if (inRange(lead, 0xE0, 0xEF)) {
            length = 3;
            value = lead & 0x0F;
            if (lead == 0xE0) low = 0xA0;
            if (lead == 0xED) high = 0x9F;
        } else if (inRange(lead, 0xF0, 0xF4)) {
            length = 4;
            value = lead & 0x07;
            if (lead == 0xF0) low = 0x90;
            if (lead == 0xF4) high = 0x8F;
        } else {
            map.append(out, kReplacement);
            ++i;
            continue;
        }
        // Take continuation bytes while they fit; a sequence cut short is one maximal subpart.
        int taken = 1;
        while (taken < length && i + std::size_t(taken) < n) {
            const unsigned char next = bytes[i + std::size_t(taken)];
            const bool fits = taken == 1 ? inRange(next, low, high) : inRange(next, 0x80, 0xBF);
            if (!fits) break;
            value = value << 6 | (next & 0x3F);
            ++taken;
        }
        map.append(out, taken == length ? value : kReplacement);
        i += std::size_t(taken);
    }
}

// The last bytes of the conversion of text[0, end), as many as fit in `tail` or fewer at the
// start, placed at its end; returns how many. ASCII bytes stand for themselves and always start a
// character, so the text is converted back to front a run of non-ASCII bytes at a time.
std::size_t convertedTail(std::string_view text, std::size_t end, std::span<char> tail,
                          Text& scratch) {
    std::size_t filled = 0;
    while (end > 0 && filled < tail.size()) {
        if (static_cast<unsigned char>(text[end - 1]) < 0x80) {
            tail[tail.size() - ++filled] = text[--end];
            continue;
        }
        std::size_t start = end;
        while (start > 0 && static_cast<unsigned char>(text[start - 1]) >= 0x80) --start;
        scratch.clear();
        convertInto(scratch, text.substr(start, end - start));
        for (auto byte = scratch.rbegin(); byte != scratch.rend() && filled < tail.size(); ++byte) {
            tail[tail.size() - ++filled] = *byte;
        }
        end = start;
    }
    return filled;
}

}  // namespace

Text utf8ToCodePage936ByTable(std::string_view text) {
    Text out;
    out.reserve(text.size());
    convertInto(out, text);
    return out;
}

unsigned codePage936FormContainsByTable(std::string_view text,
                                        std::span<const std::string_view> needles) {
    // A needle whose last byte is ASCII and follows a byte that cannot lead a two-byte character
    // cannot end on a trail byte: its last byte comes from that ASCII byte in the input, or from a
    // character that falls back to it. Only the conversion just before those places matters.
    constexpr std::size_t kLongestAnchored = 32;
    struct Anchored {
        std::string_view before;  // the needle without its last byte
        char last;
        unsigned bit;
    };
    std::vector<Anchored> anchored;
    std::size_t longest = 0;
    std::string lasts;  // the anchored needles' last bytes
    unsigned found = 0;
    Text converted;  // only for needles that are not anchored
    for (std::size_t i = 0; i < needles.size(); ++i) {
        const std::string_view needle = needles[i];
        const bool isAnchored = needle.size() >= 2 && needle.size() <= kLongestAnchored + 1 &&
                                static_cast<unsigned char>(needle.back()) < 0x80 &&
                                needle.back() != '?' &&
                                static_cast<unsigned char>(needle[needle.size() - 2]) < 0x81;
        if (isAnchored) {
            anchored.push_back({needle.substr(0, needle.size() - 1), needle.back(), 1u << i});
            longest = std::max(longest, needle.size() - 1);
            if (lasts.find(needle.back()) == std::string::npos) lasts += needle.back();
            continue;
        }
        if (converted.empty()) converted = utf8ToCodePage936ByTable(text);
        if (converted.find(needle) != Text::npos) found |= 1u << i;
    }
    unsigned wanted = 0;
    for (const Anchored& needle : anchored) wanted |= needle.bit;

    Text replacement;
    table().append(replacement, kReplacement);
    const int replacementLast =
        replacement.empty() ? -1 : static_cast<unsigned char>(replacement.back());
    std::array<char, kLongestAnchored> tailBuffer{};
    const std::span<char> tail(tailBuffer.data(), longest);
    Text scratch;

    // Checks the anchored needles ending in `last` against the conversion before `anchorStart`.
    const auto checkAnchor = [&](char last, std::size_t anchorStart) {
        // Most places are ruled out by the one byte before them: an ASCII byte stands for itself,
        // and a byte that cannot end a character becomes the replacement character's form.
        int previous = -1;
        if (anchorStart > 0) {
            const auto byte = static_cast<unsigned char>(text[anchorStart - 1]);
            if (byte < 0x80) {
                previous = byte;
            } else if (byte >= 0xC0) {
                previous = replacementLast;
            }
        }
        std::size_t filled = 0;
        bool tailMade = false;
        for (const Anchored& needle : anchored) {
            if (needle.last != last || (found & needle.bit)) continue;
            if (previous >= 0 && previous != static_cast<unsigned char>(needle.before.back()))
                continue;
            if (!tailMade) {
                filled = convertedTail(text, anchorStart, tail, scratch);
                tailMade = true;
            }
            const std::string_view converted(tail.data() + tail.size() - filled, filled);
            if (converted.ends_with(needle.before)) found |= needle.bit;
        }
        return (found & wanted) != wanted;
    };
    for (const char last : lasts) {
        for (auto at = text.find(last); at != std::string_view::npos;
             at = text.find(last, at + 1)) {
            if (!checkAnchor(last, at)) return found;
        }
        for (const std::string& form : table().fallbacksTo(static_cast<unsigned char>(last))) {
            for (auto at = text.find(form); at != std::string_view::npos;
                 at = text.find(form, at + 1)) {
                if (!checkAnchor(last, at)) return found;
            }
        }
    }
    return found;
}

}  // namespace veltrano

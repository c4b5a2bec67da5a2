#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <vector>

#include "text/Text.h"

namespace veltrano {

// The notices shown under the computer's addresses, in code page 936: only the latest lines are
// kept, and a notice that repeats the one before only raises that line's count. So no client can
// make the list grow without bound or push the addresses out of reach, however many notices it
// causes.
class NoticeLog {
public:
    static constexpr std::size_t kMaxLines = 20;

    explicit NoticeLog(std::size_t maxLines = kMaxLines);

    // Adds a notice; returns how many times in a row it has now been given (1 on a new line).
    std::uint64_t add(const Text& notice);

    bool empty() const { return entries_.empty(); }

    // The lines as shown, oldest first: a line saying how many older ones were dropped, if any,
    // then each kept notice, with its count when it was given more than once.
    std::vector<Text> lines() const;

    // A notice as shown after being given `count` times in a row.
    static Text lineFor(const Text& notice, std::uint64_t count);

    // Where lines cannot be taken back, as in a printed log: a notice is printed the first time
    // and again when its count reaches 2, 4, 8, ..., a few lines for any run of repeats.
    static bool worthPrinting(std::uint64_t count);

private:
    struct Entry {
        Text notice;
        std::uint64_t count = 1;
    };

    std::size_t maxLines_;
    std::deque<Entry> entries_;
    std::uint64_t dropped_ = 0;
};

// The information box's whole text: the address panel's text, which stays at the top, then each
// line of `notices` after a line break.
Text infoBoxText(const Text& addressText, const NoticeLog& notices);

}  // namespace veltrano

#pragma once

#include <cstddef>

#include "text/Text.h"

namespace veltrano {

// Lines for the information box about the phone, in code page 936; both front ends show them.
Text phoneConnectedNotice(const Text& address);
Text rosterSentNotice(const Text& address, std::size_t rows);
// The roster did not go out: the phone that connected last has disconnected since.
Text rosterNotSentNotice(const Text& address);

// The rows of a pasted roster that hold more than blanks; the line break after the last row, as a
// spreadsheet copies it, starts no row of its own.
std::size_t rosterRowCount(const Text& roster);

}  // namespace veltrano

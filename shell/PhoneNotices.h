#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "exchange/RosterPush.h"
#include "text/Text.h"

namespace veltrano {

// Lines (UTF-8) for the information box about the phone; `address` is the endpoint's "ip:port".
std::string phoneConnectedNotice(const Text& address);
std::string rosterSentNotice(const Text& address, std::size_t rows);
// The roster did not go out: the phone that connected last has disconnected since.
std::string rosterNotSentNotice(const Text& address);

// The line a push ends with: where `roster` went and how many rows, or that it did not go out;
// nothing after a refusal, which has been shown in its own box. `address` is the one it was for.
std::optional<std::string> rosterPushNotice(RosterPushResult result, const Text& address,
                                            const Text& roster);

// The rows of a pasted roster that hold more than blanks; the line break after the last row, as a
// spreadsheet copies it, starts no row of its own.
std::size_t rosterRowCount(const Text& roster);

}  // namespace veltrano

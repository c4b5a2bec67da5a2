#pragma once

#include <functional>

#include "exchange/Endpoint.h"
#include "exchange/ExchangeState.h"
#include "text/Text.h"

namespace veltrano {

// Shows a code page 936 text in a modal box with a single OK button; returns when dismissed.
using ShowMessage = std::function<void(const Text&)>;

// The two refusals, in code page 936.
Text emptyRosterMessage();
Text phoneNotConnectedMessage();

// What became of a push. A refusal has been shown by the time it returns; the other two are for
// the caller to tell.
enum class RosterPushResult {
    Refused,
    Sent,
    // The client that arrived last has disconnected since: nothing was sent.
    PhoneGone,
};

// Sends "STAT||" + roster + "||END" to the client that arrived last, or shows why it cannot: an
// empty roster first, then a phone that never connected.
RosterPushResult sendRoster(const Text& roster, const ExchangeState& state, Endpoint& endpoint,
                            const ShowMessage& showMessage);

}  // namespace veltrano

#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <system_error>
#include <vector>

#include "exchange/ExchangeState.h"

namespace veltrano {

// The system's own words for an error, in UTF-8; each front end asks its platform.
using SystemMessage = std::function<std::string(const std::error_code&)>;

// One line (UTF-8) for the information box saying why an announced file is not being stored.
std::string fileProblemNotice(const FileProblem& problem, const SystemMessage& systemMessage);

// One line (UTF-8) saying that files cannot be received because the port cannot be opened.
std::string listenFailureNotice(std::uint16_t port, bool addressInUse,
                                const std::string& systemReason);

// Notices wait until the address panel has written its text, then each goes on a line of its own
// after it, so the addresses and the guide stay on top.
class InfoBoxNotices {
public:
    // What to append now (CR LF and the notice, code page 936); nothing while the addresses are
    // still being listed.
    std::optional<Text> add(const std::string& notice);
    // The address panel is done: what was held back, in order.
    std::vector<Text> onAddressesListed();

private:
    bool addressesListed_ = false;
    std::vector<std::string> pending_;
};

}  // namespace veltrano

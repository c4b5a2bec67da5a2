#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace veltrano {

inline constexpr std::uint16_t kExchangePort = 3456;

// "D:\" where there are drive letters; the user's home directory elsewhere. Native form, UTF-8.
std::string defaultReceiveDirectory();

// What a front end does when its main window has been created.
struct StartUpSteps {
    std::function<void()> openEndpoint;  // listens, or tells why it cannot
    std::function<void(const std::string&)> setReceiveDirectory;
    // Starts the address panel on a thread of its own and returns at once.
    std::function<void()> startAddressWorker;
};

// The steps in their order: the port first, so a phone can connect while the rest happens.
void onMainWindowCreated(const StartUpSteps& steps);

}  // namespace veltrano

#pragma once

#include <functional>
#include <string>
#include <vector>

#include "text/Text.h"

namespace veltrano {

// The guide after the addresses, code page 936.
Text connectionGuide();

// Appends one "本机IP：" line per address (each line in one call), then the connection guide.
// Runs on the address worker: `appendText` must carry the text over to the window's thread.
void listLocalAddresses(const std::function<std::vector<std::string>()>& listAddresses,
                        const std::function<void(const Text&)>& appendText);

}  // namespace veltrano

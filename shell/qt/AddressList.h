#pragma once

#include <vector>

#include "shell/AddressChoice.h"

namespace veltrano {

// The computer's network adapters as Qt reports them.
std::vector<Adapter> systemAdapters();

}  // namespace veltrano

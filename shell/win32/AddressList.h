#pragma once

#include <vector>

#include "shell/AddressChoice.h"

namespace veltrano {

// The computer's network adapters as GetAdaptersAddresses reports them; empty when it fails.
std::vector<Adapter> systemAdapters();

}  // namespace veltrano

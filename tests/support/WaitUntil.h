#pragma once

#include <functional>

namespace veltrano::test {

// Runs the event loop until `condition` holds or `timeoutMs` passes; true if it held.
bool waitUntil(const std::function<bool()>& condition, int timeoutMs = 10000);

}  // namespace veltrano::test

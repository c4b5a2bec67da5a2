#include "shell/StartUp.h"

#include <cstdlib>

namespace veltrano {

std::string defaultReceiveDirectory() {
#ifdef _WIN32
    return "D:\\";
#else
    const char* home = std::getenv("HOME");
    return home && *home ? home : "/";
#endif
}

void onMainWindowCreated(const StartUpSteps& steps) {
    steps.openEndpoint();
    steps.setReceiveDirectory(defaultReceiveDirectory());
    steps.startAddressWorker();
}

}  // namespace veltrano

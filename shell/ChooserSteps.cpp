#include "shell/ChooserSteps.h"

#include "shell/StartUp.h"

namespace veltrano {

std::string chooserFallbackDirectory() {
#ifdef _WIN32
    return "D:\\Program Files";
#else
    return defaultReceiveDirectory();
#endif
}

std::string chooserFallbackDrive() {
#ifdef _WIN32
    return "D:\\";
#else
    return chooserFallbackDirectory();
#endif
}

std::vector<ChooserStep> chooserOpeningSteps(const std::string& receiveDirectory) {
    using Target = ChooserStep::Target;
    std::vector<ChooserStep> steps = {{Target::DirectoryList, chooserFallbackDirectory()},
                                      {Target::DriveSelector, chooserFallbackDrive()}};
    if (!receiveDirectory.empty()) {
        steps.push_back({Target::DirectoryList, receiveDirectory});
        steps.push_back({Target::DriveSelector, driveOfPath(receiveDirectory)});
    }
    return steps;
}

std::string driveOfPath(const std::string& path) {
#ifdef _WIN32
    return path.substr(0, 3);
#else
    return path;
#endif
}

std::string rootOfDrive(const std::string& drive) {
#ifdef _WIN32
    return drive + ":\\";
#else
    return drive;
#endif
}

}  // namespace veltrano

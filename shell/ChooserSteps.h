#pragma once

#include <string>
#include <vector>

namespace veltrano {

// What the folder chooser sets as it opens, in order; a later step overrides an earlier one that
// the toolkit accepted.
struct ChooserStep {
    enum class Target { DirectoryList, DriveSelector };
    Target target;
    std::string value;  // UTF-8, native form
};

// Where the chooser starts with no receive directory: "D:\Program Files" on drive "D:\" where
// there are drive letters, the home directory elsewhere.
std::string chooserFallbackDirectory();
std::string chooserFallbackDrive();

// The fallbacks, then, when the receive-directory box is not empty, its content and its drive.
std::vector<ChooserStep> chooserOpeningSteps(const std::string& receiveDirectory);

// The drive a path lies on as the drive selector takes it: its first three bytes ("D:\") where
// there are drive letters, the path itself elsewhere.
std::string driveOfPath(const std::string& path);

// Where a drive's folders start: the letter followed by ":\", or the root folder itself.
std::string rootOfDrive(const std::string& drive);

}  // namespace veltrano

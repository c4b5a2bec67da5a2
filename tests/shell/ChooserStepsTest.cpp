#include <gtest/gtest.h>

#include "shell/ChooserSteps.h"

namespace veltrano {
namespace {

using Target = ChooserStep::Target;

std::vector<std::pair<Target, std::string>> flat(const std::vector<ChooserStep>& steps) {
    std::vector<std::pair<Target, std::string>> result;
    for (const auto& step : steps) result.emplace_back(step.target, step.value);
    return result;
}

TEST(ChooserSteps, OpensOnTheFallbacksThenOnTheBoxContent) {
    const std::string fallback = chooserFallbackDirectory();
    const std::string fallbackDrive = chooserFallbackDrive();
    EXPECT_EQ(flat(chooserOpeningSteps("")),
              (std::vector<std::pair<Target, std::string>>{
                  {Target::DirectoryList, fallback}, {Target::DriveSelector, fallbackDrive}}));

    const std::string typed =
        driveOfPath("E:\\照片\\一班") == "E:\\" ? "E:\\照片\\一班" : "/srv/照片";
    EXPECT_EQ(flat(chooserOpeningSteps(typed)), (std::vector<std::pair<Target, std::string>>{
                                                    {Target::DirectoryList, fallback},
                                                    {Target::DriveSelector, fallbackDrive},
                                                    {Target::DirectoryList, typed},
                                                    {Target::DriveSelector, driveOfPath(typed)}}));
}

#ifdef _WIN32
TEST(ChooserSteps, DriveLettersFollowTheFirstThreeBytes) {
    EXPECT_EQ(chooserFallbackDirectory(), "D:\\Program Files");
    EXPECT_EQ(chooserFallbackDrive(), "D:\\");
    EXPECT_EQ(driveOfPath("C:\\Users\\照片"), "C:\\");
    EXPECT_EQ(driveOfPath("D:"), "D:");
    EXPECT_EQ(rootOfDrive("E"), "E:\\");
}
#else
TEST(ChooserSteps, WithoutDriveLettersTheRootIsThePathItself) {
    EXPECT_EQ(driveOfPath("/srv/照片"), "/srv/照片");
    EXPECT_EQ(rootOfDrive("/media/usb"), "/media/usb");
}
#endif

}  // namespace
}  // namespace veltrano

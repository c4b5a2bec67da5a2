#include <gtest/gtest.h>

#include "exchange/FileError.h"
#include "shell/Notices.h"
#include "text/CodePage.h"

namespace veltrano {
namespace {

TEST(Notices, NameTheFileAndTheReasonInChinese) {
    const FileProblem missing{FileProblem::Kind::CannotCreate, utf8ToCodePage936("张三.jpg"),
                              std::make_error_code(std::errc::no_such_file_or_directory)};
    EXPECT_EQ(fileProblemNotice(missing, {}), "无法保存文件“张三.jpg”：接收目录不存在");
    const FileProblem full{FileProblem::Kind::CannotWrite, "a.jpg",
                           std::make_error_code(std::errc::no_space_on_device)};
    EXPECT_EQ(fileProblemNotice(full, {}), "写入文件“a.jpg”失败：磁盘已满");
    const FileProblem unsafe{FileProblem::Kind::CannotCreate, "..",
                             make_error_code(FileError::UnsafeName)};
    EXPECT_EQ(fileProblemNotice(unsafe, {}), "无法保存文件“..”：文件名不安全，已拒绝");
    // What the front end's system gives for anything else.
    const FileProblem odd{FileProblem::Kind::CannotWrite, "b.jpg",
                          std::make_error_code(std::errc::io_error)};
    EXPECT_EQ(fileProblemNotice(odd, [](const std::error_code&) { return "系统原因"; }),
              "写入文件“b.jpg”失败：系统原因");
}

TEST(Notices, ListenFailureSaysThePortIsTakenOrWhy) {
    EXPECT_EQ(listenFailureNotice(3456, true, "ignored"),
              "无法在端口3456接收文件：端口已被其他程序占用");
    EXPECT_EQ(listenFailureNotice(3456, false, "权限不足"), "无法在端口3456接收文件：权限不足");
}

TEST(Notices, WaitForTheAddressPanelThenFollowItEachOnItsOwnLine) {
    InfoBoxNotices notices;
    EXPECT_FALSE(notices.add("第一"));
    EXPECT_FALSE(notices.add("第二"));
    EXPECT_EQ(notices.onAddressesListed(), (std::vector<Text>{"\r\n" + utf8ToCodePage936("第一"),
                                                              "\r\n" + utf8ToCodePage936("第二")}));
    EXPECT_EQ(notices.add("第三"), "\r\n" + utf8ToCodePage936("第三"));
    EXPECT_TRUE(notices.onAddressesListed().empty());
}

}  // namespace
}  // namespace veltrano

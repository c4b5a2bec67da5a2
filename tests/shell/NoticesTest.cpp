#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "exchange/FileError.h"
#include "shell/NoticeLog.h"
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

// The tests write their texts in UTF-8; the program's are code page 936.
Text gbk(const std::string& utf8) {
    return utf8ToCodePage936(utf8);
}

std::string utf8(const Text& text) {
    return codePage936ToUtf8(text);
}

std::size_t characters(const Text& text) {
    return codePage936ToWide(text).size();
}

TEST(Notices, NamesAreShortenedOnCharactersKeepingTheirEnds) {
    struct Case {
        const char* name;
        std::string input;  // UTF-8
        std::string expected;
    };
    const std::string forty(40, 'a');
    std::string chinese;
    for (int i = 0; i < 30; ++i) chinese += "张三";
    const std::vector<Case> cases = {
        {"short stays", "a.jpg", "a.jpg"},
        {"forty characters stay", forty, forty},
        {"forty-one are cut", forty + "b", std::string(19, 'a') + "…" + std::string(19, 'a') + "b"},
        {"a huge name keeps its start and extension",
         "start" + std::string(64 * 1024, 'x') + "end.jpg",
         "startxxxxxxxxxxxxxx…xxxxxxxxxxxxxend.jpg"},
        {"Chinese is cut between characters", chinese + ".jpg",
         "张三张三张三张三张三张三张三张三张三张…张三张三张三张三张三张三张三张三.jpg"},
        {"control characters cannot break the line", "a\r\nb\x7F", "a??b?"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Text shown = shortenedName(gbk(c.input));
        EXPECT_EQ(utf8(shown), c.expected);
        EXPECT_LE(characters(shown), kNoticeNameLength);
    }
}

TEST(Notices, AFileProblemIsOneShortLineWhateverTheName) {
    const Text huge = "STAT" + std::string(64 * 1024, '%') + ".jpg";
    const std::string notice = fileProblemNotice(
        {FileProblem::Kind::CannotCreate, huge, std::make_error_code(std::errc::filename_too_long)},
        {});
    EXPECT_EQ(notice, "无法保存文件“STAT%%%%%%%%%%%%%%%…%%%%%%%%%%%%%%%%.jpg”：文件名太长");
    EXPECT_EQ(fileProblemNotice(
                  {FileProblem::Kind::CannotWrite, gbk("张三.jpg"), FileError::DirectoryGone}, {}),
              "写入文件“张三.jpg”失败：接收目录已被删除或移动");
}

TEST(NoticeLog, RepeatsShareALineAndOnlyTheLatestLinesAreKept) {
    NoticeLog log(3);
    EXPECT_EQ(log.add(gbk("甲")), 1u);
    EXPECT_EQ(log.add(gbk("甲")), 2u);
    EXPECT_EQ(log.add(gbk("甲")), 3u);
    log.add(gbk("乙"));
    log.add(gbk("甲"));  // not a repeat: "乙" came between
    std::vector<Text> expected = {gbk("甲（共3次）"), gbk("乙"), gbk("甲")};
    EXPECT_EQ(log.lines(), expected);

    for (int i = 0; i < 1000; ++i) log.add(std::to_string(i));
    expected = {gbk("（较早的1000条提示已省略）"), "997", "998", "999"};
    EXPECT_EQ(log.lines(), expected);
}

TEST(NoticeLog, TheAddressesStayAtTheTopOfTheBox) {
    const Text addresses = gbk("本机IP：192.168.1.5\r\n\r\n操作方法:\r\n1.第一步\r\n2.第二步");
    NoticeLog log(2);
    EXPECT_EQ(infoBoxText(addresses, log), addresses);
    for (int i = 0; i < 500; ++i) log.add(gbk("无法保存文件“" + std::to_string(i) + "”"));
    EXPECT_EQ(utf8(infoBoxText(addresses, log)),
              utf8(addresses) +
                  "\r\n（较早的498条提示已省略）\r\n无法保存文件“498”\r\n无法保存文件“499”");
    // A notice before the addresses are listed starts the box without an empty line.
    NoticeLog early;
    early.add("x");
    EXPECT_EQ(infoBoxText("", early), "x");
}

TEST(NoticeLog, APrintedLogGrowsOnlyLogarithmicallyWithRepeats) {
    NoticeLog log;
    std::vector<std::uint64_t> printed;
    for (int i = 0; i < 1000; ++i) {
        const std::uint64_t count = log.add("same");
        if (NoticeLog::worthPrinting(count)) printed.push_back(count);
    }
    EXPECT_EQ(printed, (std::vector<std::uint64_t>{1, 2, 4, 8, 16, 32, 64, 128, 256, 512}));
}

}  // namespace
}  // namespace veltrano

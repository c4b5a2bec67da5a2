#include "shell/Notices.h"

#include <array>
#include <string_view>
#include <utility>

#include "exchange/FileError.h"
#include "text/CodePage.h"

namespace veltrano {
namespace {

std::string reasonText(const std::error_code& reason, const SystemMessage& systemMessage) {
    if (reason.category() == fileErrorCategory()) {
        switch (static_cast<FileError>(reason.value())) {
            case FileError::UnsafeName:
                return "文件名不安全，已拒绝";
            case FileError::NotRegularFile:
                return "同名的不是普通文件";
            case FileError::NoDirectory:
                return "没有填写接收目录";
            case FileError::DirectoryGone:
                return "接收目录已被删除或移动";
            case FileError::FileGone:
                return "正在接收的文件已被删除或移走";
        }
    }
    const std::array<std::pair<std::errc, std::string_view>, 10> known = {{
        {std::errc::no_such_file_or_directory, "接收目录不存在"},
        {std::errc::not_a_directory, "接收目录不是文件夹"},
        {std::errc::permission_denied, "没有写入权限"},
        {std::errc::operation_not_permitted, "没有写入权限"},
        {std::errc::no_space_on_device, "磁盘已满"},
        {std::errc::read_only_file_system, "磁盘是只读的"},
        {std::errc::filename_too_long, "文件名太长"},
        {std::errc::too_many_symbolic_link_levels, "同名的是符号链接，已拒绝"},
        {std::errc::is_a_directory, "同名的是文件夹"},
        {std::errc::invalid_argument, "文件名无效"},
    }};
    for (const auto& [condition, text] : known) {
        if (reason == condition) return std::string(text);
    }
    return systemMessage ? systemMessage(reason) : reason.message();
}

bool isControl(char16_t c) {
    return c < u' ' || c == u'\x7F';
}

}  // namespace

Text shortenedName(const Text& name, std::size_t maxLength) {
    // Characters, not bytes: a code page 936 character is never cut in two. Every one of them is a
    // single UTF-16 unit.
    WideText wide = codePage936ToWide(name);
    for (char16_t& c : wide) {
        if (isControl(c)) c = u'?';
    }
    if (wide.size() > maxLength && maxLength >= 3) {
        const std::size_t head = (maxLength - 1) / 2;
        const std::size_t tail = maxLength - 1 - head;
        wide = wide.substr(0, head) + u"…" + wide.substr(wide.size() - tail);
    }
    return wideToCodePage936(wide);
}

std::string fileProblemNotice(const FileProblem& problem, const SystemMessage& systemMessage) {
    const std::string name = codePage936ToUtf8(shortenedName(problem.fileName));
    const std::string reason = reasonText(problem.reason, systemMessage);
    if (problem.kind == FileProblem::Kind::CannotCreate) {
        return "无法保存文件“" + name + "”：" + reason;
    }
    return "写入文件“" + name + "”失败：" + reason;
}

std::string listenFailureNotice(std::uint16_t port, bool addressInUse,
                                const std::string& systemReason) {
    const std::string reason = addressInUse ? "端口已被其他程序占用" : systemReason;
    return "无法在端口" + std::to_string(port) + "接收文件：" + reason;
}

}  // namespace veltrano

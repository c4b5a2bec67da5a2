#include "shell/Notices.h"

#include <array>
#include <utility>

#include "exchange/FileError.h"
#include "shell/QtText.h"

namespace veltrano {
namespace {

QString reasonText(const std::error_code& reason) {
    if (reason.category() == fileErrorCategory()) {
        switch (static_cast<FileError>(reason.value())) {
            case FileError::UnsafeName:
                return QStringLiteral("文件名不安全，已拒绝");
            case FileError::NotRegularFile:
                return QStringLiteral("同名的不是普通文件");
            case FileError::NoDirectory:
                return QStringLiteral("没有填写接收目录");
            case FileError::DirectoryGone:
                return QStringLiteral("接收目录已被删除或移动");
            case FileError::FileGone:
                return QStringLiteral("正在接收的文件已被删除或移走");
        }
    }
    const std::array<std::pair<std::errc, const char16_t*>, 10> known = {{
        {std::errc::no_such_file_or_directory, u"接收目录不存在"},
        {std::errc::not_a_directory, u"接收目录不是文件夹"},
        {std::errc::permission_denied, u"没有写入权限"},
        {std::errc::operation_not_permitted, u"没有写入权限"},
        {std::errc::no_space_on_device, u"磁盘已满"},
        {std::errc::read_only_file_system, u"磁盘是只读的"},
        {std::errc::filename_too_long, u"文件名太长"},
        {std::errc::too_many_symbolic_link_levels, u"同名的是符号链接，已拒绝"},
        {std::errc::is_a_directory, u"同名的是文件夹"},
        {std::errc::invalid_argument, u"文件名无效"},
    }};
    for (const auto& [condition, text] : known) {
        if (reason == condition) return QString::fromUtf16(text);
    }
    return QString::fromLocal8Bit(reason.message());
}

}  // namespace

QString fileProblemNotice(const FileProblem& problem) {
    const QString name = toQString(problem.fileName);
    const QString reason = reasonText(problem.reason);
    if (problem.kind == FileProblem::Kind::CannotCreate) {
        return QStringLiteral("无法保存文件“%1”：%2").arg(name, reason);
    }
    return QStringLiteral("写入文件“%1”失败：%2").arg(name, reason);
}

QString listenFailureNotice(quint16 port, bool addressInUse, const QString& systemReason) {
    const QString reason = addressInUse ? QStringLiteral("端口已被其他程序占用") : systemReason;
    return QStringLiteral("无法在端口%1接收文件：%2").arg(port).arg(reason);
}

}  // namespace veltrano

#include "shell/FolderChooser.h"

#include <QDir>
#include <QLabel>
#include <QPushButton>

#include "shell/DirectoryList.h"
#include "shell/DriveSelector.h"
#include "shell/MainWindow.h"
#include "shell/Placement.h"

namespace veltrano {
QString FolderChooser::fallbackDirectory() {
#ifdef Q_OS_WIN
    return QStringLiteral("D:\\Program Files");
#else
    return QDir::toNativeSeparators(QDir::homePath());
#endif
}

QString FolderChooser::fallbackDrive() {
#ifdef Q_OS_WIN
    return QStringLiteral("D:\\");
#else
    return fallbackDirectory();
#endif
}

FolderChooser::FolderChooser(MainWindow& window)
    : QDialog(nullptr),
      window_(window),
      drives_(place<DriveSelector>(this, u"驱动框1", {11, 32, 333, 20})),
      directories_(place<DirectoryList>(this, u"目录框1", {11, 64, 333, 128})),
      selectedPath_(place<QLabel>(this, u"编辑框1", {11, 222, 333, 20})) {
    setWindowTitle(QStringLiteral("浏览文件夹"));
    setGeometry(50, 50, 361, 327);
    setFixedSize(361, 327);
    setWindowModality(Qt::ApplicationModal);

    place<QLabel>(this, u"标签1", {8, 8, 144, 16})
        ->setText(QStringLiteral("请选择欲安装到的目录:"));
    place<QLabel>(this, u"标签2", {8, 195, 64, 24})->setText(QStringLiteral("所选目录:"));
    auto* ok = place<QPushButton>(this, u"按钮1", {162, 251, 80, 24});
    ok->setText(QStringLiteral("确定"));
    ok->setAutoDefault(false);
    auto* cancel = place<QPushButton>(this, u"按钮2", {262, 251, 80, 24});
    cancel->setText(QStringLiteral("取消"));
    cancel->setAutoDefault(false);

    connect(drives_, &DriveSelector::driveChanged, this, &FolderChooser::onDriveChanged);
    connect(directories_, &DirectoryList::currentDirectoryChanged, this,
            &FolderChooser::onDirectoryChanged);
    connect(directories_, &DirectoryList::leftButtonPressed, this,
            &FolderChooser::onDirectoryPressed);
    connect(ok, &QPushButton::clicked, this, &FolderChooser::onChooserOk);
    connect(cancel, &QPushButton::clicked, this, &FolderChooser::onChooserCancel);
}

void FolderChooser::choose(MainWindow& window) {
    FolderChooser dialog(window);
    dialog.onChooserCreated();
    // The nested event loop keeps serving the endpoint: a transfer goes on meanwhile.
    dialog.exec();
}

void FolderChooser::onChooserCreated() {
    directories_->setCurrentDirectory(fallbackDirectory());
    drives_->setDrive(fallbackDrive());
    const QString chosen = window_.receiveDirectoryText();
    if (!chosen.isEmpty()) {
        directories_->setCurrentDirectory(chosen);
#ifdef Q_OS_WIN
        drives_->setDrive(chosen.left(3));
#else
        drives_->setDrive(chosen);
#endif
    }
    selectedPath_->setText(directories_->currentDirectory());
}

void FolderChooser::onDriveChanged() {
    directories_->setCurrentDirectory(DriveSelector::rootOfDrive(drives_->drive()));
    onDirectoryChanged();
}

void FolderChooser::onDirectoryChanged() {
    selectedPath_->setText(directories_->currentDirectory());
}

void FolderChooser::onDirectoryPressed(QPoint, Qt::KeyboardModifiers) {
    onDirectoryChanged();
}

void FolderChooser::onChooserOk() {
    window_.setReceiveDirectoryText(selectedPath_->text());
    accept();
}

void FolderChooser::onChooserCancel() {
    reject();
}

}  // namespace veltrano

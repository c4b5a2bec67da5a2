#include "shell/qt/FolderChooser.h"

#include <QLabel>
#include <QPushButton>

#include "shell/ChooserSteps.h"
#include "shell/Layout.h"
#include "shell/qt/DirectoryList.h"
#include "shell/qt/DriveSelector.h"
#include "shell/qt/MainWindow.h"

namespace veltrano {

FolderChooser::FolderChooser(MainWindow& window)
    : QDialog(nullptr),
      window_(window),
      controls_(renderLayout(*this, folderChooserLayout())),
      drives_(controls_.get<DriveSelector>(control::kChooserDrives)),
      directories_(controls_.get<DirectoryList>(control::kChooserDirectories)),
      selectedPath_(controls_.get<QLabel>(control::kChooserPath)) {
    setWindowModality(Qt::ApplicationModal);
    connect(drives_, &DriveSelector::driveChanged, this, &FolderChooser::onDriveChanged);
    connect(directories_, &DirectoryList::currentDirectoryChanged, this,
            &FolderChooser::onDirectoryChanged);
    connect(directories_, &DirectoryList::leftButtonPressed, this,
            &FolderChooser::onDirectoryPressed);
    connect(controls_.get<QPushButton>(control::kChooserOk), &QPushButton::clicked, this,
            &FolderChooser::onChooserOk);
    connect(controls_.get<QPushButton>(control::kChooserCancel), &QPushButton::clicked, this,
            &FolderChooser::onChooserCancel);
}

void FolderChooser::choose(MainWindow& window) {
    FolderChooser dialog(window);
    dialog.onChooserCreated();
    // The nested event loop keeps serving the endpoint: a transfer goes on meanwhile.
    dialog.exec();
}

void FolderChooser::onChooserCreated() {
    for (const ChooserStep& step :
         chooserOpeningSteps(window_.receiveDirectoryText().toStdString())) {
        const QString value = QString::fromStdString(step.value);
        if (step.target == ChooserStep::Target::DirectoryList) {
            directories_->setCurrentDirectory(value);
        } else {
            drives_->setDrive(value);
        }
    }
    selectedPath_->setText(directories_->currentDirectory());
}

void FolderChooser::onDriveChanged() {
    directories_->setCurrentDirectory(
        QString::fromStdString(rootOfDrive(drives_->drive().toStdString())));
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

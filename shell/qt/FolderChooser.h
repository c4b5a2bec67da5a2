#pragma once

#include <QDialog>
#include <QPoint>

#include "shell/qt/LayoutRenderer.h"

class QLabel;

namespace veltrano {

class DirectoryList;
class DriveSelector;
class MainWindow;

// The modal "浏览文件夹" dialog, rendered from its layout table: a drive selector, a directory
// list and the selected path, written back into the main window's receive-directory box on "确定".
class FolderChooser final : public QDialog {
    Q_OBJECT

public:
    explicit FolderChooser(MainWindow& window);

    // Shows a fresh dialog for `window` and returns once it has closed.
    static void choose(MainWindow& window);

    void onChooserCreated();
    void onDriveChanged();
    void onDirectoryChanged();
    void onDirectoryPressed(QPoint position, Qt::KeyboardModifiers keys);
    void onChooserOk();
    void onChooserCancel();

private:
    MainWindow& window_;
    RenderedLayout controls_;
    DriveSelector* drives_;
    DirectoryList* directories_;
    QLabel* selectedPath_;
};

}  // namespace veltrano

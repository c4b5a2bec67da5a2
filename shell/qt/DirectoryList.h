#pragma once

#include <QListWidget>

namespace veltrano {

// A classic directory list: the current directory's ancestors from the root down, then its
// subfolders. Double-click or Enter on an entry makes it the current directory.
class DirectoryList final : public QListWidget {
    Q_OBJECT

public:
    explicit DirectoryList(QWidget* parent = nullptr);

    // Shows `path` as a full path in the system's own form; a path that does not exist is kept
    // as given and lists no subfolders.
    void setCurrentDirectory(const QString& path);
    QString currentDirectory() const { return current_; }

signals:
    // The user moved to another directory.
    void currentDirectoryChanged();
    void leftButtonPressed(QPoint position, Qt::KeyboardModifiers keys);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    void refill();

    QString current_;
};

}  // namespace veltrano

#include "shell/qt/DirectoryList.h"

#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>

namespace veltrano {
namespace {

constexpr int kPathRole = Qt::UserRole;

QString fullPath(const QString& path) {
    return QDir::toNativeSeparators(QDir::cleanPath(QFileInfo(path).absoluteFilePath()));
}

}  // namespace

DirectoryList::DirectoryList(QWidget* parent) : QListWidget(parent) {
    connect(this, &QListWidget::itemActivated, this, [this](QListWidgetItem* item) {
        const QString target = item->data(kPathRole).toString();
        if (target == current_) return;
        setCurrentDirectory(target);
        emit currentDirectoryChanged();
    });
}

void DirectoryList::setCurrentDirectory(const QString& path) {
    current_ = path.isEmpty() ? path : fullPath(path);
    refill();
}

void DirectoryList::refill() {
    clear();
    if (current_.isEmpty()) return;
    // Ancestors, from the root down to the current directory.
    QStringList chain;
    for (QDir dir(QDir::fromNativeSeparators(current_));;) {
        chain.prepend(dir.absolutePath());
        if (dir.isRoot() || !dir.cdUp()) break;
    }
    int depth = 0;
    for (const QString& ancestor : chain) {
        const QString name =
            depth == 0 ? QDir::toNativeSeparators(ancestor) : QFileInfo(ancestor).fileName();
        auto* item = new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + name, this);
        item->setData(kPathRole, QDir::toNativeSeparators(ancestor));
        ++depth;
    }
    const QDir current(QDir::fromNativeSeparators(current_));
    const auto folders =
        current.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::IgnoreCase);
    for (const QFileInfo& folder : folders) {
        auto* item =
            new QListWidgetItem(QString(depth * 2, QLatin1Char(' ')) + folder.fileName(), this);
        item->setData(kPathRole, QDir::toNativeSeparators(folder.absoluteFilePath()));
    }
    setCurrentRow(int(chain.size()) - 1);
}

void DirectoryList::mousePressEvent(QMouseEvent* event) {
    QListWidget::mousePressEvent(event);
    if (event->button() == Qt::LeftButton) {
        emit leftButtonPressed(event->position().toPoint(), event->modifiers());
    }
}

}  // namespace veltrano

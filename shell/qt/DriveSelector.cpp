#include "shell/qt/DriveSelector.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>

namespace veltrano {
namespace {

QStringList driveRoots() {
    QStringList roots;
#ifdef Q_OS_WIN
    for (const QFileInfo& drive : QDir::drives())
        roots.append(QDir::toNativeSeparators(drive.absoluteFilePath()));
#else
    roots.append(QStringLiteral("/"));
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath())) {
            roots.append(volume.rootPath());
        }
    }
#endif
    return roots;
}

}  // namespace

DriveSelector::DriveSelector(QWidget* parent) : QComboBox(parent) {
    for (const QString& root : driveRoots()) addItem(root, root);
    connect(this, &QComboBox::activated, this, [this] { emit driveChanged(); });
}

void DriveSelector::setDrive(const QString& path) {
#ifdef Q_OS_WIN
    const QString letter = path.left(1);
    for (int i = 0; i < count(); ++i) {
        if (itemData(i).toString().startsWith(letter, Qt::CaseInsensitive) && !letter.isEmpty()) {
            setCurrentIndex(i);
            return;
        }
    }
#else
    // The volume whose root folder is the longest one holding the path.
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    int best = -1;
    qsizetype bestLength = -1;
    for (int i = 0; i < count(); ++i) {
        const QString root = itemData(i).toString();
        const bool holds = root == QLatin1String("/") || absolute == root ||
                           absolute.startsWith(root + QLatin1Char('/'));
        if (holds && root.size() > bestLength) {
            best = i;
            bestLength = root.size();
        }
    }
    if (best >= 0) setCurrentIndex(best);
#endif
}

QString DriveSelector::drive() const {
    const QString root = currentData().toString();
#ifdef Q_OS_WIN
    return root.left(1).toUpper();
#else
    return root;
#endif
}

}  // namespace veltrano

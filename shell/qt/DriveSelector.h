#pragma once

#include <QComboBox>

namespace veltrano {

// A drop-down of the computer's drives ("C:\", "D:\") or, where there are no drive letters, of
// the mounted volumes' root folders, "/" first.
class DriveSelector final : public QComboBox {
    Q_OBJECT

public:
    explicit DriveSelector(QWidget* parent = nullptr);

    // Selects the drive that `path` lies on ("D:\" or any path on it); an absent drive changes
    // nothing.
    void setDrive(const QString& path);
    // The drive letter alone ("D"), or the volume's root folder where there are no letters.
    QString drive() const;

signals:
    // The user picked another drive.
    void driveChanged();
};

}  // namespace veltrano

#include "shell/ReceiveDirectory.h"

#include <QDir>

namespace veltrano {

QString defaultReceiveDirectory() {
#ifdef Q_OS_WIN
    return QStringLiteral("D:\\");
#else
    return QDir::toNativeSeparators(QDir::homePath());
#endif
}

}  // namespace veltrano

#include "shell/qt/MessageBox.h"

#include <QMessageBox>

#include "shell/qt/QtText.h"

namespace veltrano {

void showMessageBox(QWidget* parent, const Text& text) {
    QMessageBox box(parent);
    box.setIcon(QMessageBox::NoIcon);
    box.setText(toQString(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace veltrano

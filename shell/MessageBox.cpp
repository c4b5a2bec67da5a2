#include "shell/MessageBox.h"

#include <QMessageBox>

#include "shell/QtText.h"

namespace veltrano {

void showMessageBox(QWidget* parent, const Text& text) {
    QMessageBox box(parent);
    box.setIcon(QMessageBox::NoIcon);
    box.setText(toQString(text));
    box.setStandardButtons(QMessageBox::Ok);
    box.exec();
}

}  // namespace veltrano

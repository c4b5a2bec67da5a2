#include "tests/support/WhileModal.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <QWidget>
#include <memory>

namespace veltrano::test {

void whileModal(std::function<void(QWidget*)> action, bool* found) {
    *found = false;
    auto* timer = new QTimer(qApp);
    auto attempts = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, timer, [timer, attempts, action, found] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            if (++*attempts > 500) timer->deleteLater();  // about five seconds
            return;
        }
        timer->stop();
        timer->deleteLater();
        *found = true;
        action(modal);
        if (modal->isVisible()) {
            if (auto* dialog = qobject_cast<QDialog*>(modal)) {
                dialog->reject();
            } else {
                modal->close();
            }
        }
    });
    timer->start(10);
}

}  // namespace veltrano::test

#include "tests/support/WhileModal.h"

#include <QApplication>
#include <QDialog>
#include <QWidget>
#include <memory>

namespace veltrano::test {

ModalWatch::ModalWatch(std::function<void(QWidget*)> action, bool* found)
    : timer_(new QTimer(qApp)) {
    *found = false;
    auto attempts = std::make_shared<int>(0);
    QTimer* timer = timer_;
    QObject::connect(timer, &QTimer::timeout, timer, [timer, attempts, action, found] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible()) {
            if (++*attempts > 500) timer->stop();  // about five seconds
            return;
        }
        timer->stop();
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

ModalWatch::~ModalWatch() {
    delete timer_.data();
}

std::unique_ptr<ModalWatch> whileModal(std::function<void(QWidget*)> action, bool* found) {
    return std::make_unique<ModalWatch>(std::move(action), found);
}

}  // namespace veltrano::test

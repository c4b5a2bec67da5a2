#pragma once

#include <QPointer>
#include <QTimer>
#include <functional>
#include <memory>

class QWidget;

namespace veltrano::test {

// Watches for the next modal widget while it lives; stops watching when it goes out of scope, so
// a watch can never act on a modal shown after its test step.
class ModalWatch {
public:
    ModalWatch(std::function<void(QWidget*)> action, bool* found);
    ModalWatch(const ModalWatch&) = delete;
    ModalWatch& operator=(const ModalWatch&) = delete;
    ~ModalWatch();

private:
    QPointer<QTimer> timer_;
};

// Arranges for `action` to run on the next modal widget once it is shown (a bounded poll), then
// closes that widget if the action left it open. Keep the result alive across the code that shows
// it. `found` is set when the widget appeared in time.
[[nodiscard]] std::unique_ptr<ModalWatch> whileModal(std::function<void(QWidget*)> action,
                                                     bool* found);

}  // namespace veltrano::test

#pragma once

#include <functional>

class QWidget;

namespace veltrano::test {

// Arranges for `action` to run on the next modal widget once it is shown (a bounded poll), then
// closes that widget if the action left it open. Call it just before the code that shows it.
// `found` is set when the widget appeared in time.
void whileModal(std::function<void(QWidget*)> action, bool* found);

}  // namespace veltrano::test

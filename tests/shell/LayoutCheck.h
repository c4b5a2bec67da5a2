#pragma once

#include <QRect>
#include <QWidget>
#include <vector>

namespace veltrano::test {

// One control as the design places it.
struct DesignedControl {
    const char16_t* name;
    const char* kind;        // class name
    const char16_t* parent;  // nullptr: the window itself
    QRect geometry;
    const char16_t* caption;
};

// Checks every control of `design` against the widgets under `window`.
void expectLayout(const QWidget& window, const std::vector<DesignedControl>& design);

}  // namespace veltrano::test

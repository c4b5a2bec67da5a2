#pragma once

#include <QWidget>

#include "shell/Layout.h"

namespace veltrano::test {

// Checks the window and every control of `layout` against the widgets under `window`: class,
// parent, geometry, caption, colours and font.
void expectLayout(const QWidget& window, const WindowLayout& layout);

}  // namespace veltrano::test

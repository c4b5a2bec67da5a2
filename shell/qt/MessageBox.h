#pragma once

#include "text/Text.h"

class QWidget;

namespace veltrano {

// A modal box with the text alone and a single OK button; returns when it is dismissed.
void showMessageBox(QWidget* parent, const Text& text);

}  // namespace veltrano

#pragma once

#include <windows.h>

#include "text/Text.h"

namespace veltrano {

// MessageBoxW with the text alone, the system's default title and a single OK button, modal to
// `owner`; returns when it is dismissed.
void showMessageBox(HWND owner, const Text& text);

}  // namespace veltrano

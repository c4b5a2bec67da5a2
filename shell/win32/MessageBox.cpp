#include "shell/win32/MessageBox.h"

#include "shell/win32/Wide.h"

namespace veltrano {

void showMessageBox(HWND owner, const Text& text) {
    MessageBoxW(owner, textToWide(text).c_str(), nullptr, MB_OK);
}

}  // namespace veltrano

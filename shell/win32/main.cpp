// windows.h first: the other Windows headers build on it.
#include <windows.h>

#include <commctrl.h>

#include "shell/win32/MainWindow.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int show) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);

    veltrano::MainWindow window;
    if (!window.create()) return 1;
    window.onMainWindowCreated();
    ShowWindow(window.handle(), show);

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (IsDialogMessageW(window.handle(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    window.releaseExchangeState();
    return int(message.wParam);
}

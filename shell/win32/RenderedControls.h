#pragma once

#include <windows.h>

#include <optional>
#include <string_view>
#include <vector>

#include "shell/Layout.h"
#include "exchange/UniqueHandle.h"

namespace veltrano {

using GdiObject = UniqueHandle<HGDIOBJ, DeleteObject, nullptr>;

// The identifier of a designer-named control: its row in the layout table, from 100 up, so
// GetDlgItem(window, controlId(layout, "按钮1")) finds it.
int controlId(const WindowLayout& layout, std::string_view name);

// The controls of one window created from its layout table, with the fonts and brushes they use.
// Group boxes are drawn as siblings (a control inside a group box would send its notifications to
// the box, not the window): a child's position is its group's position plus its own.
class RenderedControls {
public:
    // Creates every visible control of `layout` in `window`, whose outer size and caption it sets.
    void render(HWND window, const WindowLayout& layout);

    HWND find(std::string_view name) const;
    const ControlRow* rowOf(HWND control) const;

    // Answers WM_CTLCOLORSTATIC / WM_CTLCOLOREDIT for a control the table colours; nothing for
    // the others, which keep the system's colours.
    std::optional<LRESULT> onControlColour(HDC dc, HWND control);

private:
    struct Rendered {
        const ControlRow* row;
        HWND window;
    };
    std::vector<Rendered> controls_;
    GdiObject font_;
    std::vector<GdiObject> ownFonts_;
    std::vector<GdiObject> brushes_;
};

}  // namespace veltrano

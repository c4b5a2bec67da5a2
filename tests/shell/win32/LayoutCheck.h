#pragma once

#include <windows.h>

#include <initializer_list>
#include <string_view>

#include "shell/Layout.h"

namespace veltrano::test {

// Checks `window` and every control of `layout` against the real windows: class, place (a
// group's children relative to the group), caption, the colours the window answers
// WM_CTLCOLOR* with, font, read-only state, scroll bar and text limit.
// The captions of `filledIn` are left out: the window has already put its own text there.
void expectLayout(HWND window, const WindowLayout& layout,
                  std::initializer_list<std::string_view> filledIn = {});

}  // namespace veltrano::test

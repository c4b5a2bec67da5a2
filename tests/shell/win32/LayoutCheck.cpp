#include "tests/shell/win32/LayoutCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <utility>

#include "shell/win32/RenderedControls.h"
#include "shell/win32/Wide.h"

namespace veltrano::test {
namespace {

std::wstring classOf(HWND window) {
    wchar_t name[64] = {};
    GetClassNameW(window, name, 64);
    return name;
}

const wchar_t* classFor(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return L"Static";
        case ControlKind::LineEdit:
        case ControlKind::TextBox:
            return L"Edit";
        case ControlKind::Button:
        case ControlKind::GroupBox:
            return L"Button";
        case ControlKind::DriveSelector:
            return L"ComboBox";
        case ControlKind::DirectoryList:
            return L"ListBox";
        case ControlKind::Endpoint:
            break;
    }
    return L"";
}

// Where `control` stands in `window`'s client area.
Rect placeIn(HWND window, HWND control) {
    RECT rect;
    GetWindowRect(control, &rect);
    MapWindowPoints(HWND_DESKTOP, window, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// The colours the window gives `control` when asked, as Windows asks before drawing it.
std::pair<COLORREF, COLORREF> coloursOf(HWND window, HWND control, bool edit) {
    HDC dc = CreateCompatibleDC(nullptr);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(4, 5, 6));
    SendMessageW(window, edit ? WM_CTLCOLOREDIT : WM_CTLCOLORSTATIC, WPARAM(dc), LPARAM(control));
    const std::pair colours{GetTextColor(dc), GetBkColor(dc)};
    DeleteDC(dc);
    return colours;
}

// Checks the window and every control of `layout` against the real windows.
}  // namespace

void expectLayout(HWND window, const WindowLayout& layout,
                  std::initializer_list<std::string_view> filledIn) {
    EXPECT_EQ(windowText(window), utf8ToWide(layout.caption));
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_EQ((Rect{outer.left, outer.top, outer.right - outer.left, outer.bottom - outer.top}),
              layout.rect);
    for (const ControlRow& row : layout.controls) {
        SCOPED_TRACE(std::string(row.name));
        HWND control = GetDlgItem(window, controlId(layout, row.name));
        if (row.kind == ControlKind::Endpoint) {
            EXPECT_EQ(control, nullptr) << "the endpoint is invisible";
            continue;
        }
        ASSERT_NE(control, nullptr);
        EXPECT_EQ(classOf(control), classFor(row.kind));
        Rect expected = row.rect;
        if (!row.parent.empty()) {
            expected.x += layout.find(row.parent)->rect.x;
            expected.y += layout.find(row.parent)->rect.y;
        }
        Rect actual = placeIn(window, control);
        if (row.kind == ControlKind::DriveSelector) actual.height = expected.height;
        EXPECT_EQ(actual, expected);
        const bool filled = std::find(filledIn.begin(), filledIn.end(), row.name) != filledIn.end();
        if (row.kind != ControlKind::DriveSelector && row.kind != ControlKind::DirectoryList &&
            !filled) {
            EXPECT_EQ(windowText(control), utf8ToWide(row.caption));
        }
        const bool edit = row.kind == ControlKind::TextBox || row.kind == ControlKind::LineEdit;
        const auto [text, background] = coloursOf(window, control, edit && !row.readOnly);
        if (row.textColour) {
            EXPECT_EQ(text, RGB(row.textColour->red, row.textColour->green, row.textColour->blue));
        }
        if (row.background) {
            EXPECT_EQ(background,
                      RGB(row.background->red, row.background->green, row.background->blue));
        }
        if (row.font) {
            LOGFONTW font{};
            GetObjectW(HFONT(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
            EXPECT_EQ(std::wstring(font.lfFaceName), utf8ToWide(row.font->family));
            EXPECT_EQ(font.lfHeight, -row.font->pixelHeight);
            EXPECT_EQ(font.lfWeight, FW_NORMAL);
            EXPECT_EQ(font.lfCharSet, GB2312_CHARSET);
        }
        const LONG style = GetWindowLongW(control, GWL_STYLE);
        if (edit) {
            EXPECT_EQ((style & ES_READONLY) != 0, row.readOnly);
            EXPECT_GT(SendMessageW(control, EM_GETLIMITTEXT, 0, 0), 30000);
        }
        if (row.verticalScrollBar) {
            EXPECT_NE(style & WS_VSCROLL, 0);
        }
    }
}

}  // namespace veltrano::test

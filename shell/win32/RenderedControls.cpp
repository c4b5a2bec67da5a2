#include "shell/win32/RenderedControls.h"

#include "shell/win32/Wide.h"

namespace veltrano {
namespace {

struct WindowClass {
    const wchar_t* name;
    DWORD style;
    DWORD extendedStyle;
};

WindowClass classFor(const ControlRow& row) {
    switch (row.kind) {
        case ControlKind::Label:
            return {L"STATIC", SS_LEFT | SS_NOPREFIX, 0};
        case ControlKind::LineEdit:
            return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
        case ControlKind::TextBox:
            return {L"EDIT",
                    ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_TABSTOP |
                        (row.readOnly ? DWORD(ES_READONLY) : 0) |
                        (row.verticalScrollBar ? DWORD(WS_VSCROLL) : 0),
                    WS_EX_CLIENTEDGE};
        case ControlKind::Button:
            return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
        case ControlKind::GroupBox:
            return {L"BUTTON", BS_GROUPBOX, 0};
        case ControlKind::DriveSelector:
            return {L"COMBOBOX", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 0};
        case ControlKind::DirectoryList:
            return {L"LISTBOX",
                    LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | WS_TABSTOP, 0};
        case ControlKind::Endpoint:
            break;
    }
    return {nullptr, 0, 0};
}

// The font the controls use unless the table names one: the system's message font.
HFONT createMessageFont() {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0)) {
        return CreateFontIndirectW(&metrics.lfMessageFont);
    }
    return nullptr;
}

HFONT createFont(const FontStyle& style) {
    LOGFONTW font{};
    font.lfHeight = -style.pixelHeight;  // the characters' height, without internal leading
    font.lfWeight = FW_NORMAL;
    font.lfCharSet = style.gb2312 ? GB2312_CHARSET : DEFAULT_CHARSET;
    const std::wstring family = utf8ToWide(style.family);
    wcsncpy(font.lfFaceName, family.c_str(), LF_FACESIZE - 1);
    return CreateFontIndirectW(&font);
}

COLORREF toColorRef(Rgb rgb) {
    return RGB(rgb.red, rgb.green, rgb.blue);
}

}  // namespace

int controlId(const WindowLayout& layout, std::string_view name) {
    for (std::size_t i = 0; i < layout.controls.size(); ++i) {
        if (layout.controls[i].name == name) return 100 + int(i);
    }
    return 0;
}

void RenderedControls::render(HWND window, const WindowLayout& layout) {
    SetWindowTextW(window, utf8ToWide(layout.caption).c_str());
    SetWindowPos(window, nullptr, layout.rect.x, layout.rect.y, layout.rect.width,
                 layout.rect.height, SWP_NOZORDER | SWP_NOACTIVATE);
    font_.reset(createMessageFont());
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const ControlRow& row : layout.controls) {
        const WindowClass windowClass = classFor(row);
        if (!windowClass.name) continue;
        Rect place = row.rect;
        if (const ControlRow* group = row.parent.empty() ? nullptr : layout.find(row.parent)) {
            place.x += group->rect.x;
            place.y += group->rect.y;
        }
        // A drop-down list's height is that of its list when open.
        const int height = row.kind == ControlKind::DriveSelector ? 200 : place.height;
        HWND control = CreateWindowExW(
            windowClass.extendedStyle, windowClass.name, utf8ToWide(row.caption).c_str(),
            WS_CHILD | WS_VISIBLE | windowClass.style, place.x, place.y, place.width, height,
            window, reinterpret_cast<HMENU>(INT_PTR(controlId(layout, row.name))), instance,
            nullptr);
        HFONT font = static_cast<HFONT>(font_.get());
        if (row.font) {
            ownFonts_.emplace_back(createFont(*row.font));
            font = static_cast<HFONT>(ownFonts_.back().get());
        }
        SendMessageW(control, WM_SETFONT, WPARAM(font), FALSE);
        if (row.kind == ControlKind::TextBox || row.kind == ControlKind::LineEdit) {
            SendMessageW(control, EM_SETLIMITTEXT, 0, 0);  // the default stops at 30 000
        }
        controls_.push_back({&row, control});
        if (row.background) {
            brushes_.emplace_back(CreateSolidBrush(toColorRef(*row.background)));
        }
    }
}

HWND RenderedControls::find(std::string_view name) const {
    for (const Rendered& control : controls_) {
        if (control.row->name == name) return control.window;
    }
    return nullptr;
}

const ControlRow* RenderedControls::rowOf(HWND window) const {
    for (const Rendered& control : controls_) {
        if (control.window == window) return control.row;
    }
    return nullptr;
}

std::optional<LRESULT> RenderedControls::onControlColour(HDC dc, HWND control) {
    const ControlRow* row = rowOf(control);
    if (!row || (!row->textColour && !row->background)) return std::nullopt;
    if (row->textColour) SetTextColor(dc, toColorRef(*row->textColour));
    if (row->background) {
        SetBkColor(dc, toColorRef(*row->background));
        // The brushes were made in the order of the coloured rows.
        std::size_t index = 0;
        for (const Rendered& rendered : controls_) {
            if (rendered.row == row) break;
            if (rendered.row->background) ++index;
        }
        return LRESULT(brushes_.at(index).get());
    }
    const bool isEdit = row->kind == ControlKind::TextBox || row->kind == ControlKind::LineEdit;
    const int face = isEdit && !row->readOnly ? COLOR_WINDOW : COLOR_BTNFACE;
    SetBkColor(dc, GetSysColor(face));
    return LRESULT(GetSysColorBrush(face));
}

}  // namespace veltrano

#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace veltrano {

enum class ControlKind {
    Label,
    LineEdit,  // one line, typed into
    TextBox,   // several lines
    Button,
    GroupBox,
    DriveSelector,  // a drop-down of the computer's drives
    DirectoryList,  // the folders above and below the current directory
    Endpoint,       // invisible: the listening server
};

struct Rgb {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    bool operator==(const Rgb&) const = default;
};

struct Rect {
    int x;
    int y;
    int width;
    int height;
    bool operator==(const Rect&) const = default;
};

struct FontStyle {
    std::string_view family;  // UTF-8
    int pixelHeight;
    bool gb2312;  // the font's character set
};

// One control as the designer placed it. Texts are UTF-8; positions are relative to the parent.
struct ControlRow {
    std::string_view name;  // the designer's name, kept as the control's identifier
    ControlKind kind;
    std::string_view parent = {};  // empty: the window itself
    Rect rect;
    std::string_view caption = {};
    std::optional<Rgb> textColour = {};
    std::optional<Rgb> background = {};
    std::optional<FontStyle> font = {};
    bool readOnly = false;
    bool verticalScrollBar = false;
};

struct WindowLayout {
    std::string_view caption = {};
    Rect rect;
    std::span<const ControlRow> controls;

    // The row named `name`; nullptr when there is none.
    const ControlRow* find(std::string_view name) const;
};

// Both windows, as every front end renders them and every test walks them.
const WindowLayout& mainWindowLayout();
const WindowLayout& folderChooserLayout();

// The designer names the front ends bind events to.
namespace control {
inline constexpr std::string_view kInfoBox = "编辑框1";
inline constexpr std::string_view kInfoCaption = "标签1";
inline constexpr std::string_view kRosterBox = "编辑框2";
inline constexpr std::string_view kSendRosterButton = "按钮1";
inline constexpr std::string_view kChooseButton = "按钮2";
inline constexpr std::string_view kDirectoryBox = "目录编辑框1";
inline constexpr std::string_view kCounter = "标签4";
inline constexpr std::string_view kEndpoint = "服务器1";

inline constexpr std::string_view kChooserDrives = "驱动框1";
inline constexpr std::string_view kChooserDirectories = "目录框1";
inline constexpr std::string_view kChooserPath = "编辑框1";
inline constexpr std::string_view kChooserOk = "按钮1";
inline constexpr std::string_view kChooserCancel = "按钮2";
}  // namespace control

}  // namespace veltrano

#include "shell/Layout.h"

#include <array>

namespace veltrano {
namespace {

constexpr Rgb kGrey{192, 192, 192};
constexpr Rgb kBlue{0, 0, 255};
constexpr Rgb kRed{255, 0, 0};
constexpr Rgb kGreen{0, 255, 0};
constexpr Rgb kBlack{0, 0, 0};

// In the window's own order, as the designer saved it.
constexpr std::array kMainControls = {
    ControlRow{.name = "标签6",
               .kind = ControlKind::Label,
               .parent = "分组框2",
               .rect = {12, 43, 385, 16},
               .caption = " 班级 ｜ 姓名 ｜         身份证号       ｜ 学校标识码 ",
               .background = kGrey},
    ControlRow{.name = "标签5",
               .kind = ControlKind::Label,
               .parent = "分组框2",
               .rect = {8, 19, 392, 24},
               .caption = "请在Excel表格里复制学生名册到收下框内(不要复制表头)",
               .textColour = kBlue},
    ControlRow{.name = "编辑框2",
               .kind = ControlKind::TextBox,
               .parent = "分组框2",
               .rect = {12, 59, 386, 104},
               .caption = ""},
    ControlRow{.name = "按钮1",
               .kind = ControlKind::Button,
               .parent = "分组框2",
               .rect = {261, 166, 136, 28},
               .caption = "传名册到手机"},
    ControlRow{.name = "分组框2",
               .kind = ControlKind::GroupBox,
               .parent = "",
               .rect = {15, 232, 409, 208},
               .caption = "发送名册到手机"},
    ControlRow{.name = "按钮2",
               .kind = ControlKind::Button,
               .parent = "分组框1",
               .rect = {314, 57, 80, 28},
               .caption = "选择..."},
    ControlRow{.name = "目录编辑框1",
               .kind = ControlKind::LineEdit,
               .parent = "分组框1",
               .rect = {78, 60, 227, 26},
               .caption = ""},
    ControlRow{.name = "标签4",
               .kind = ControlKind::Label,
               .parent = "分组框1",
               .rect = {128, 21, 96, 24},
               .caption = "0",
               .textColour = kRed},
    ControlRow{.name = "标签3",
               .kind = ControlKind::Label,
               .parent = "分组框1",
               .rect = {16, 21, 104, 24},
               .caption = "收到文件个数:"},
    ControlRow{.name = "标签2",
               .kind = ControlKind::Label,
               .parent = "分组框1",
               .rect = {16, 56, 64, 32},
               .caption = "接收目录"},
    ControlRow{.name = "分组框1",
               .kind = ControlKind::GroupBox,
               .parent = "",
               .rect = {15, 128, 409, 96},
               .caption = "接收"},
    ControlRow{.name = "服务器1", .kind = ControlKind::Endpoint, .rect = {0, 0, 0, 0}},
    ControlRow{.name = "编辑框1",
               .kind = ControlKind::TextBox,
               .parent = "",
               .rect = {21, 45, 403, 75},
               .caption = "",
               .textColour = kGreen,
               .background = kBlack,
               .readOnly = true,
               .verticalScrollBar = true},
    ControlRow{.name = "标签1",
               .kind = ControlKind::Label,
               .parent = "",
               .rect = {13, 15, 80, 24},
               .caption = "提示：",
               .font = FontStyle{"宋体", 16, true}},
};

constexpr std::array kChooserControls = {
    ControlRow{.name = "标签1",
               .kind = ControlKind::Label,
               .rect = {8, 8, 144, 16},
               .caption = "请选择欲安装到的目录:"},
    ControlRow{.name = "驱动框1", .kind = ControlKind::DriveSelector, .rect = {11, 32, 333, 20}},
    ControlRow{.name = "目录框1", .kind = ControlKind::DirectoryList, .rect = {11, 64, 333, 128}},
    ControlRow{.name = "标签2",
               .kind = ControlKind::Label,
               .rect = {8, 195, 64, 24},
               .caption = "所选目录:"},
    // A label, though the designer named it like an edit box: it shows the selected path.
    ControlRow{.name = "编辑框1", .kind = ControlKind::Label, .rect = {11, 222, 333, 20}},
    ControlRow{.name = "按钮1",
               .kind = ControlKind::Button,
               .rect = {162, 251, 80, 24},
               .caption = "确定"},
    ControlRow{.name = "按钮2",
               .kind = ControlKind::Button,
               .rect = {262, 251, 80, 24},
               .caption = "取消"},
};

constexpr WindowLayout kMainWindow{"Veltrano", {50, 50, 445, 489}, kMainControls};
constexpr WindowLayout kFolderChooser{"浏览文件夹", {50, 50, 361, 327}, kChooserControls};

}  // namespace

const ControlRow* WindowLayout::find(std::string_view name) const {
    for (const ControlRow& row : controls) {
        if (row.name == name) return &row;
    }
    return nullptr;
}

const WindowLayout& mainWindowLayout() {
    return kMainWindow;
}

const WindowLayout& folderChooserLayout() {
    return kFolderChooser;
}

}  // namespace veltrano

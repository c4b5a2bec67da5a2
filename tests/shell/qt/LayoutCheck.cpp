#include "tests/shell/qt/LayoutCheck.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "shell/qt/DirectoryList.h"
#include "shell/qt/DriveSelector.h"
#include "shell/qt/LayoutRenderer.h"

namespace veltrano::test {
namespace {

QString captionOf(const QWidget* widget) {
    if (auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (auto* button = qobject_cast<const QPushButton*>(widget)) return button->text();
    if (auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
    if (auto* line = qobject_cast<const QLineEdit*>(widget)) return line->text();
    if (auto* box = qobject_cast<const QPlainTextEdit*>(widget)) return box->toPlainText();
    return {};
}

const char* classFor(ControlKind kind) {
    switch (kind) {
        case ControlKind::Label:
            return "QLabel";
        case ControlKind::LineEdit:
            return "QLineEdit";
        case ControlKind::TextBox:
            return "QPlainTextEdit";
        case ControlKind::Button:
            return "QPushButton";
        case ControlKind::GroupBox:
            return "QGroupBox";
        case ControlKind::DriveSelector:
            return "veltrano::DriveSelector";
        case ControlKind::DirectoryList:
            return "veltrano::DirectoryList";
        case ControlKind::Endpoint:
            return "veltrano::ServerEndpoint";
    }
    return "";
}

QColor toColor(Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

}  // namespace

void expectLayout(const QWidget& window, const WindowLayout& layout) {
    EXPECT_EQ(window.windowTitle(), fromUtf8(layout.caption));
    EXPECT_EQ(window.geometry(),
              QRect(layout.rect.x, layout.rect.y, layout.rect.width, layout.rect.height));
    for (const ControlRow& row : layout.controls) {
        const QString name = fromUtf8(row.name);
        SCOPED_TRACE(name.toStdString());
        const auto* object = window.findChild<QObject*>(name);
        ASSERT_NE(object, nullptr);
        EXPECT_STREQ(object->metaObject()->className(), classFor(row.kind));
        const auto* widget = qobject_cast<const QWidget*>(object);
        if (row.kind == ControlKind::Endpoint) {
            EXPECT_EQ(widget, nullptr) << "the endpoint is invisible";
            continue;
        }
        ASSERT_NE(widget, nullptr);
        const QWidget* parent = widget->parentWidget();
        EXPECT_EQ(parent == &window ? QString() : parent->objectName(), fromUtf8(row.parent));
        EXPECT_EQ(widget->geometry(),
                  QRect(row.rect.x, row.rect.y, row.rect.width, row.rect.height));
        if (row.kind != ControlKind::DriveSelector && row.kind != ControlKind::DirectoryList) {
            EXPECT_EQ(captionOf(widget), fromUtf8(row.caption));
        }
        const bool isTextBox =
            row.kind == ControlKind::TextBox || row.kind == ControlKind::LineEdit;
        if (row.textColour) {
            EXPECT_EQ(widget->palette().color(isTextBox ? QPalette::Text : QPalette::WindowText),
                      toColor(*row.textColour));
        }
        if (row.background) {
            EXPECT_EQ(widget->palette().color(isTextBox ? QPalette::Base : QPalette::Window),
                      toColor(*row.background));
        }
        if (row.font) {
            EXPECT_EQ(widget->font().families().value(0), fromUtf8(row.font->family));
            EXPECT_EQ(widget->font().pixelSize(), row.font->pixelHeight);
            EXPECT_EQ(widget->font().weight(), QFont::Normal);
        }
        if (auto* box = qobject_cast<const QPlainTextEdit*>(widget)) {
            EXPECT_EQ(box->isReadOnly(), row.readOnly);
        }
    }
}

}  // namespace veltrano::test

#include "shell/qt/LayoutRenderer.h"

#include <QFont>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

#include "shell/qt/DirectoryList.h"
#include "shell/qt/DriveSelector.h"

namespace veltrano {
namespace {

QColor toColor(Rgb rgb) {
    return QColor(rgb.red, rgb.green, rgb.blue);
}

QWidget* createControl(const ControlRow& row, QWidget* parent) {
    const QString caption = fromUtf8(row.caption);
    switch (row.kind) {
        case ControlKind::Label:
            return new QLabel(caption, parent);
        case ControlKind::LineEdit:
            return new QLineEdit(caption, parent);
        case ControlKind::TextBox:
            return new QPlainTextEdit(caption, parent);
        case ControlKind::Button: {
            auto* button = new QPushButton(caption, parent);
            button->setAutoDefault(false);
            return button;
        }
        case ControlKind::GroupBox:
            return new QGroupBox(caption, parent);
        case ControlKind::DriveSelector:
            return new DriveSelector(parent);
        case ControlKind::DirectoryList:
            return new DirectoryList(parent);
        case ControlKind::Endpoint:
            break;
    }
    return nullptr;
}

void applyLook(const ControlRow& row, QWidget* widget) {
    QPalette palette = widget->palette();
    const bool isTextBox = row.kind == ControlKind::TextBox || row.kind == ControlKind::LineEdit;
    if (row.textColour) {
        palette.setColor(isTextBox ? QPalette::Text : QPalette::WindowText,
                         toColor(*row.textColour));
    }
    if (row.background) {
        palette.setColor(isTextBox ? QPalette::Base : QPalette::Window, toColor(*row.background));
        if (!isTextBox) widget->setAutoFillBackground(true);
    }
    widget->setPalette(palette);
    if (row.font) {
        QFont font;
        // Where the Chinese name is unknown the font goes by its Latin name.
        font.setFamilies({fromUtf8(row.font->family), QStringLiteral("SimSun")});
        font.setPixelSize(row.font->pixelHeight);
        font.setWeight(QFont::Normal);
        widget->setFont(font);
    }
    if (auto* box = qobject_cast<QPlainTextEdit*>(widget)) {
        box->setReadOnly(row.readOnly);
        if (row.verticalScrollBar) box->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    }
}

}  // namespace

QString fromUtf8(std::string_view text) {
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

QWidget* RenderedLayout::find(std::string_view name) const {
    return controls_.value(fromUtf8(name), nullptr);
}

RenderedLayout renderLayout(QWidget& window, const WindowLayout& layout) {
    window.setWindowTitle(fromUtf8(layout.caption));
    window.setGeometry(layout.rect.x, layout.rect.y, layout.rect.width, layout.rect.height);
    window.setFixedSize(layout.rect.width, layout.rect.height);

    RenderedLayout rendered;
    // Group boxes first: the table lists a group after the controls it frames.
    for (const bool groups : {true, false}) {
        for (const ControlRow& row : layout.controls) {
            if ((row.kind == ControlKind::GroupBox) != groups) continue;
            QWidget* parent = row.parent.empty() ? &window : rendered.find(row.parent);
            QWidget* widget = createControl(row, parent);
            if (!widget) continue;
            widget->setObjectName(fromUtf8(row.name));
            widget->setGeometry(row.rect.x, row.rect.y, row.rect.width, row.rect.height);
            applyLook(row, widget);
            rendered.controls_.insert(widget->objectName(), widget);
        }
    }
    return rendered;
}

}  // namespace veltrano

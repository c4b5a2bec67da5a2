#include "tests/shell/LayoutCheck.h"

#include <gtest/gtest.h>

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

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

}  // namespace

void expectLayout(const QWidget& window, const std::vector<DesignedControl>& design) {
    for (const auto& control : design) {
        const QString name = QString::fromUtf16(control.name);
        SCOPED_TRACE(name.toStdString());
        const auto* widget = window.findChild<QWidget*>(name);
        ASSERT_NE(widget, nullptr);
        EXPECT_STREQ(widget->metaObject()->className(), control.kind);
        const QWidget* parent = widget->parentWidget();
        EXPECT_EQ(parent == &window ? QString() : parent->objectName(),
                  control.parent ? QString::fromUtf16(control.parent) : QString());
        EXPECT_EQ(widget->geometry(), control.geometry);
        if (control.caption) {
            EXPECT_EQ(captionOf(widget), QString::fromUtf16(control.caption));
        }
    }
}

}  // namespace veltrano::test

#pragma once

#include <QRect>
#include <QString>
#include <QWidget>

namespace veltrano {

// Creates a control at a fixed position in its parent, under its designer name.
template <typename Widget>
Widget* place(QWidget* parent, const char16_t* name, QRect geometry) {
    auto* widget = new Widget(parent);
    widget->setObjectName(QString::fromUtf16(name));
    widget->setGeometry(geometry);
    return widget;
}

}  // namespace veltrano

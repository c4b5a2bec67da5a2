#pragma once

#include <QHash>
#include <QString>
#include <QWidget>
#include <string_view>

#include "shell/Layout.h"

namespace veltrano {

// The controls of one window, created from its layout table under their designer names.
class RenderedLayout {
public:
    QWidget* find(std::string_view name) const;

    template <typename Widget>
    Widget* get(std::string_view name) const {
        return qobject_cast<Widget*>(find(name));
    }

private:
    friend RenderedLayout renderLayout(QWidget& window, const WindowLayout& layout);
    QHash<QString, QWidget*> controls_;
};

QString fromUtf8(std::string_view text);

// Gives `window` the layout's caption, place and fixed size, and creates every visible control
// with its caption, colours and font.
RenderedLayout renderLayout(QWidget& window, const WindowLayout& layout);

}  // namespace veltrano

#pragma once

#include <QString>

#include "text/Text.h"

namespace veltrano {

// The program's code page 936 texts in and out of the toolkit's UTF-16 strings.
QString toQString(const Text& text);
Text toText(const QString& string);

}  // namespace veltrano

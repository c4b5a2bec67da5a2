#include "shell/qt/QtText.h"

#include "text/CodePage.h"

namespace veltrano {

QString toQString(const Text& text) {
    const WideText wide = codePage936ToWide(text);
    return QString::fromUtf16(wide.data(), qsizetype(wide.size()));
}

Text toText(const QString& string) {
    return wideToCodePage936(
        WideText(reinterpret_cast<const char16_t*>(string.utf16()), std::size_t(string.size())));
}

}  // namespace veltrano

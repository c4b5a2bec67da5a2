#include "text/PercentDecode.h"

#include <algorithm>
#include <string_view>

#include "text/CodePage.h"

namespace veltrano {
namespace {

// Value of a hex digit after ASCII upper-casing; -2 for anything else (its position in the digit
// table, -1, minus one), which still takes part in the arithmetic.
int hexDigitValue(unsigned char byte) {
    if (byte >= '0' && byte <= '9') return byte - '0';
    if (byte >= 'A' && byte <= 'F') return byte - 'A' + 10;
    if (byte >= 'a' && byte <= 'f') return byte - 'a' + 10;
    return -2;
}

}  // namespace

std::string_view messageTextView(const Bytes& bytes) {
    return std::string_view(bytes).substr(0, bytes.find('\0'));
}

Text messageText(const Bytes& bytes) {
    return Text(messageTextView(bytes));
}

Text percentDecode(std::string_view text, bool convert) {
    const std::size_t n = text.size();
    Text result;
    result.reserve(n);
    std::size_t i = 0;
    while (i < n) {
        if (text[i] != '%') {
            // Copy up to the next escape in one go.
            const std::size_t next = std::min(text.find('%', i), n);
            result.append(text, i, next - i);
            i = next;
            continue;
        }
        if (i + 2 < n) {
            const int value = 16 * hexDigitValue(static_cast<unsigned char>(text[i + 1])) +
                              hexDigitValue(static_cast<unsigned char>(text[i + 2]));
            const auto decoded = static_cast<unsigned char>(value & 0xFF);
            if (decoded != 0) result.push_back(static_cast<char>(decoded));
        }
        i += 3;
    }
    if (convert) result = utf8ToCodePage936(result);
    return result;
}

Text decodeMessage(const Bytes& bytes) {
    return percentDecode(messageTextView(bytes), true);
}

}  // namespace veltrano

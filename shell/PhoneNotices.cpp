#include "shell/PhoneNotices.h"

#include <string>
#include <string_view>

#include "text/CodePage.h"

namespace veltrano {

Text phoneConnectedNotice(const Text& address) {
    return utf8ToCodePage936("手机已连接：") + address;
}

Text rosterSentNotice(const Text& address, std::size_t rows) {
    return utf8ToCodePage936("名册已传到手机 ") + address +
           utf8ToCodePage936("，共" + std::to_string(rows) + "行");
}

Text rosterNotSentNotice(const Text& address) {
    return utf8ToCodePage936("名册没有传出：手机 ") + address +
           utf8ToCodePage936(" 已断开，请在手机上重新连接后再传");
}

// Line breaks, tabs and spaces are single bytes that never occur inside a code page 936
// character, so the rows can be told apart on the bytes.
std::size_t rosterRowCount(const Text& roster) {
    std::size_t rows = 0;
    bool rowHasContent = false;
    for (const char byte : roster) {
        if (byte == '\n' || byte == '\r') {
            if (rowHasContent) ++rows;
            rowHasContent = false;
        } else if (byte != ' ' && byte != '\t') {
            rowHasContent = true;
        }
    }
    return rowHasContent ? rows + 1 : rows;
}

}  // namespace veltrano

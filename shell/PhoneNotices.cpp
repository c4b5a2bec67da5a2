#include "shell/PhoneNotices.h"

#include <string>

#include "text/CodePage.h"

namespace veltrano {

std::string phoneConnectedNotice(const Text& address) {
    return "手机已连接：" + codePage936ToUtf8(address);
}

std::string rosterSentNotice(const Text& address, std::size_t rows) {
    return "名册已传到手机 " + codePage936ToUtf8(address) + "，共" + std::to_string(rows) + "行";
}

std::string rosterNotSentNotice(const Text& address) {
    return "名册没有传出：手机 " + codePage936ToUtf8(address) + " 已断开，请在手机上重新连接后再传";
}

std::optional<std::string> rosterPushNotice(RosterPushResult result, const Text& address,
                                            const Text& roster) {
    switch (result) {
        case RosterPushResult::Sent:
            return rosterSentNotice(address, rosterRowCount(roster));
        case RosterPushResult::PhoneGone:
            return rosterNotSentNotice(address);
        case RosterPushResult::Refused:
            break;
    }
    return std::nullopt;
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

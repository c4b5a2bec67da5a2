#include "shell/RosterText.h"

namespace veltrano {

Text rosterWithCrLf(const Text& rows) {
    Text result;
    result.reserve(rows.size() + rows.size() / 16);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const char c = rows[i];
        if (c == '\r') {
            if (i + 1 < rows.size() && rows[i + 1] == '\n') ++i;
            result += "\r\n";
        } else if (c == '\n') {
            result += "\r\n";
        } else {
            result += c;
        }
    }
    return result;
}

}  // namespace veltrano

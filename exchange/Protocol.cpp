#include "exchange/Protocol.h"

namespace veltrano {

long long textPosition(std::string_view text, std::string_view needle) {
    const auto found = text.find(needle);
    return found == std::string_view::npos ? -1 : static_cast<long long>(found) + 1;
}

bool textContains(std::string_view text, std::string_view needle) {
    return textPosition(text, needle) > 0;
}

Text replaceAll(std::string_view text, std::string_view needle, std::string_view replacement) {
    if (needle.empty()) return Text(text);
    Text result;
    std::size_t from = 0;
    for (auto found = text.find(needle); found != std::string_view::npos;
         found = text.find(needle, from)) {
        result.append(text.substr(from, found - from)).append(replacement);
        from = found + needle.size();
    }
    return result.append(text.substr(from));
}

}  // namespace veltrano

#include "shell/NoticeLog.h"

#include <string>

#include "text/CodePage.h"

namespace veltrano {

NoticeLog::NoticeLog(std::size_t maxLines) : maxLines_(maxLines == 0 ? 1 : maxLines) {}

std::uint64_t NoticeLog::add(const Text& notice) {
    if (!entries_.empty() && entries_.back().notice == notice) return ++entries_.back().count;
    entries_.push_back({notice, 1});
    if (entries_.size() > maxLines_) {
        entries_.pop_front();
        ++dropped_;
    }
    return 1;
}

std::vector<Text> NoticeLog::lines() const {
    std::vector<Text> shown;
    shown.reserve(entries_.size() + 1);
    if (dropped_ > 0) {
        shown.push_back(
            utf8ToCodePage936("（较早的" + std::to_string(dropped_) + "条提示已省略）"));
    }
    for (const Entry& entry : entries_) shown.push_back(lineFor(entry.notice, entry.count));
    return shown;
}

Text NoticeLog::lineFor(const Text& notice, std::uint64_t count) {
    if (count <= 1) return notice;
    return notice + utf8ToCodePage936("（共" + std::to_string(count) + "次）");
}

bool NoticeLog::worthPrinting(std::uint64_t count) {
    return (count & (count - 1)) == 0;
}

Text infoBoxText(const Text& addressText, const NoticeLog& notices) {
    Text text = addressText;
    for (const Text& line : notices.lines()) {
        if (!text.empty()) text += "\r\n";
        text += line;
    }
    return text;
}

}  // namespace veltrano

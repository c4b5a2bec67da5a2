#include "exchange/ExchangeState.h"

#include <array>
#include <string>
#include <utility>

#include "exchange/FileError.h"
#include "exchange/FileNameRules.h"
#include "exchange/Protocol.h"
#include "text/CodePage.h"
#include "text/PercentDecode.h"

namespace veltrano {

ExchangeState::ExchangeState(Endpoint& endpoint, FileStore& files, ExchangeHooks hooks)
    : endpoint_(endpoint), files_(files), hooks_(std::move(hooks)) {
    endpoint_.setListener(this);
}

ExchangeState::~ExchangeState() {
    endpoint_.setListener(nullptr);
}

void ExchangeState::onClientArrived() {
    clientAddress_ = endpoint_.takeClientAddress();
}

void ExchangeState::onDataArrived() {
    const ConnectionId connection = endpoint_.eventConnection();
    const Bytes data = endpoint_.takeData();
    // The markers are looked for in decodeMessage(data). Only a start of file needs all of it;
    // for a piece of a photo, finding that neither marker is there is much cheaper than that.
    const std::string_view text = messageTextView(data);
    const Text utf8 = percentDecode(text, false);
    constexpr std::array<std::string_view, 2> markers = {kStartOfFileMarker, kEndOfFileMarker};
    const unsigned found = codePage936FormContains(utf8, markers);
    if (found & 1u) {
        Receiving& receiving = receiving_[connection];
        lastAnnouncer_ = connection;
        startFile(receiving, utf8, text.size());
    } else if (!(found & 2u)) {
        // Content from a connection that has announced nothing goes nowhere.
        const auto sending = receiving_.find(connection);
        if (sending != receiving_.end()) appendContent(sending->second, data);
    }
    // An end-of-file message changes nothing: the file stays open until the next one starts.
}

void ExchangeState::onClientDeparted() {
    const auto sending = receiving_.find(endpoint_.eventConnection());
    if (sending == receiving_.end()) return;
    closeFile(sending->second);
    receiving_.erase(sending);
}

FileNumber ExchangeState::openFile() const {
    const auto sending = receiving_.find(lastAnnouncer_);
    return sending == receiving_.end() ? 0 : sending->second.file;
}

void ExchangeState::startFile(Receiving& receiving, const Text& utf8, std::size_t announcedBytes) {
    closeFile(receiving);
    // Unsigned arithmetic: the count wraps instead of overflowing.
    receivedCount_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(receivedCount_) + 1u);
    if (hooks_.showReceivedCount) hooks_.showReceivedCount(std::to_string(receivedCount_));

    currentFileName_ = replaceAll(utf8ToCodePage936(utf8), kStartOfFileMarker, "");
    receiving.fileName = currentFileName_;
    receiving.writeFailureReported = false;

    if (announcedBytes > kStartOfFileMarker.size() + kMaxNameBytes) {
        report(receiving, FileProblem::Kind::CannotCreate,
               std::make_error_code(std::errc::filename_too_long));
        return;
    }
    // On disk the name keeps the phone's own characters; the code page 936 form above, where
    // characters it lacks become "?", is only for showing.
    const auto name = safeFileNameFromUtf8(replaceAll(utf8, kStartOfFileMarker, ""));
    if (!name) {
        report(receiving, FileProblem::Kind::CannotCreate, FileError::UnsafeName);
        return;
    }
    const Text directory = hooks_.receiveDirectory ? hooks_.receiveDirectory() : Text();
    std::error_code error;
    receiving.file = files_.createAndOpen(nativePath(directory), *name, error);
    if (receiving.file == 0) report(receiving, FileProblem::Kind::CannotCreate, error);
}

void ExchangeState::appendContent(Receiving& receiving, const Bytes& data) {
    if (receiving.file == 0 || data.empty()) return;
    const std::error_code error = files_.append(receiving.file, data);
    if (error && !receiving.writeFailureReported) {
        receiving.writeFailureReported = true;
        report(receiving, FileProblem::Kind::CannotWrite, error);
    }
}

void ExchangeState::closeFile(Receiving& receiving) {
    if (receiving.file == 0) return;
    files_.close(receiving.file);
    receiving.file = 0;
}

void ExchangeState::report(const Receiving& receiving, FileProblem::Kind kind,
                           std::error_code reason) {
    if (hooks_.reportFileProblem) hooks_.reportFileProblem({kind, receiving.fileName, reason});
}

void ExchangeState::releaseExchangeState() {
    Text().swap(clientAddress_);
    Text().swap(currentFileName_);
}

}  // namespace veltrano

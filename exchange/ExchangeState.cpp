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
    : endpoint_(endpoint), files_(files), hooks_(std::move(hooks)) {}

void ExchangeState::onClientArrived() {
    clientAddress_ = endpoint_.takeClientAddress();
}

void ExchangeState::onDataArrived() {
    const Bytes data = endpoint_.takeData();
    // The markers are looked for in decodeMessage(data). Only a start of file needs all of it;
    // for a piece of a photo, finding that neither marker is there is much cheaper than that.
    const Text utf8 = percentDecode(messageTextView(data), false);
    constexpr std::array<std::string_view, 2> markers = {kStartOfFileMarker, kEndOfFileMarker};
    const unsigned found = codePage936FormContains(utf8, markers);
    if (found & 1u) {
        startFile(utf8ToCodePage936(utf8));
    } else if (!(found & 2u)) {
        appendContent(data);
    }
    // An end-of-file message changes nothing: the file stays open until the next one starts.
}

void ExchangeState::startFile(const Text& decodedText) {
    if (openFile_ != 0) {
        files_.close(openFile_);
        openFile_ = 0;
    }
    // Unsigned arithmetic: the count wraps instead of overflowing.
    receivedCount_ = static_cast<std::int32_t>(static_cast<std::uint32_t>(receivedCount_) + 1u);
    if (hooks_.showReceivedCount) hooks_.showReceivedCount(std::to_string(receivedCount_));

    currentFileName_ = replaceAll(decodedText, kStartOfFileMarker, "");
    writeFailureReported_ = false;

    const auto name = safeFileName(currentFileName_);
    if (!name) {
        report(FileProblem::Kind::CannotCreate, FileError::UnsafeName);
        return;
    }
    const Text directory = hooks_.receiveDirectory ? hooks_.receiveDirectory() : Text();
    std::error_code error;
    openFile_ = files_.createAndOpen(nativePath(directory), *name, error);
    if (openFile_ == 0) report(FileProblem::Kind::CannotCreate, error);
}

void ExchangeState::appendContent(const Bytes& data) {
    if (openFile_ == 0 || data.empty()) return;
    const std::error_code error = files_.append(openFile_, data);
    if (error && !writeFailureReported_) {
        writeFailureReported_ = true;
        report(FileProblem::Kind::CannotWrite, error);
    }
}

void ExchangeState::report(FileProblem::Kind kind, std::error_code reason) {
    if (hooks_.reportFileProblem) hooks_.reportFileProblem({kind, currentFileName_, reason});
}

void ExchangeState::releaseExchangeState() {
    Text().swap(clientAddress_);
    Text().swap(currentFileName_);
}

}  // namespace veltrano

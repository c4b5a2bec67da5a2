#pragma once

#include <cstdint>
#include <functional>
#include <system_error>

#include "exchange/Endpoint.h"
#include "exchange/FileStore.h"
#include "text/Text.h"

namespace veltrano {

// A file the phone announced that could not be stored, told once per file.
struct FileProblem {
    enum class Kind { CannotCreate, CannotWrite };
    Kind kind;
    Text fileName;  // as announced, code page 936
    std::error_code reason;
};

// What the owner of the exchange state lends it.
struct ExchangeHooks {
    // The receive directory as the user has it now; asked at each start of a file.
    std::function<Text()> receiveDirectory;
    // Shows the decimal text of the count of announced files.
    std::function<void(const Text&)> showReceivedCount;
    // Tells the user that a file is not being stored; may be left empty.
    std::function<void(const FileProblem&)> reportFileProblem;
};

// The program-wide exchange state: the last client's address and the file being received.
class ExchangeState {
public:
    ExchangeState(Endpoint& endpoint, FileStore& files, ExchangeHooks hooks);
    ExchangeState(const ExchangeState&) = delete;
    ExchangeState& operator=(const ExchangeState&) = delete;

    void onClientArrived();
    void onDataArrived();

    // Lets go of the texts at shutdown; the open file is left to the file store.
    void releaseExchangeState();

    const Text& clientAddress() const { return clientAddress_; }
    FileNumber openFile() const { return openFile_; }
    const Text& currentFileName() const { return currentFileName_; }
    std::int32_t receivedCount() const { return receivedCount_; }

private:
    void startFile(const Text& decodedText);
    void appendContent(const Bytes& data);
    void report(FileProblem::Kind kind, std::error_code reason);

    Endpoint& endpoint_;
    FileStore& files_;
    ExchangeHooks hooks_;

    Text clientAddress_;
    FileNumber openFile_ = 0;
    Text currentFileName_;
    std::int32_t receivedCount_ = 0;
    bool writeFailureReported_ = false;
};

}  // namespace veltrano

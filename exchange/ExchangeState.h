#pragma once

#include <cstdint>
#include <functional>
#include <system_error>
#include <unordered_map>

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

// The program-wide exchange state: the last client's address, and the file each connection is
// sending. Each phone's content goes to the file that phone announced, so several phones (or a
// stray client beside one) never write into each other's files.
class ExchangeState final : public EndpointListener {
public:
    // Takes the endpoint's events from here on, until it is destroyed.
    ExchangeState(Endpoint& endpoint, FileStore& files, ExchangeHooks hooks);
    ~ExchangeState() override;
    ExchangeState(const ExchangeState&) = delete;
    ExchangeState& operator=(const ExchangeState&) = delete;

    void onClientArrived() override;
    void onDataArrived() override;
    // Closes the file the departed connection was sending.
    void onClientDeparted() override;

    // Lets go of the texts at shutdown; the open file is left to the file store.
    void releaseExchangeState();

    const Text& clientAddress() const { return clientAddress_; }
    // The file of the connection that announced a file last; 0 when none is open.
    FileNumber openFile() const;
    // The name announced last, by any connection.
    const Text& currentFileName() const { return currentFileName_; }
    std::int32_t receivedCount() const { return receivedCount_; }

private:
    // What one connection is sending.
    struct Receiving {
        FileNumber file = 0;
        Text fileName;
        bool writeFailureReported = false;
    };

    // `utf8` is the start-of-file message percent-decoded, still in UTF-8; `announcedBytes` the
    // length of the message as it came.
    void startFile(Receiving& receiving, const Text& utf8, std::size_t announcedBytes);
    void appendContent(Receiving& receiving, const Bytes& data);
    void closeFile(Receiving& receiving);
    void report(const Receiving& receiving, FileProblem::Kind kind, std::error_code reason);

    Endpoint& endpoint_;
    FileStore& files_;
    ExchangeHooks hooks_;

    Text clientAddress_;
    Text currentFileName_;
    std::int32_t receivedCount_ = 0;
    std::unordered_map<ConnectionId, Receiving> receiving_;
    ConnectionId lastAnnouncer_ = 0;
};

}  // namespace veltrano

// A sequence of messages (each one length byte, then that many bytes) fed to the receiver over a
// fresh receive directory. Afterwards nothing exists outside that directory, the count is the
// number of start-of-file messages, and each stored file holds exactly the content that followed
// its last announcement.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "exchange/DiskFileStore.h"
#include "exchange/ExchangeState.h"
#include "exchange/FileNameRules.h"
#include "exchange/Protocol.h"
#include "text/PercentDecode.h"

namespace {

namespace fs = std::filesystem;

void check(bool condition) {
    if (!condition) std::abort();
}

class ScriptedEndpoint final : public veltrano::Endpoint {
public:
    veltrano::Bytes next;
    veltrano::Text takeClientAddress() override { return "127.0.0.1:1"; }
    veltrano::Bytes takeData() override { return next; }
    void setListener(veltrano::EndpointListener*) override {}
    veltrano::ConnectionId eventConnection() const override { return 1; }
    bool sendData(const veltrano::Text&, const veltrano::Bytes&) override { return false; }
};

std::vector<std::string> splitMessages(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> messages;
    for (std::size_t i = 0; i < size;) {
        const std::size_t length = std::min<std::size_t>(data[i], size - i - 1);
        messages.emplace_back(reinterpret_cast<const char*>(data + i + 1), length);
        i += 1 + length;
    }
    return messages;
}

std::map<std::string, std::string> filesIn(const fs::path& directory) {
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::directory_iterator(directory)) {
        check(entry.is_regular_file() && !entry.is_symlink());
        std::ifstream in(entry.path(), std::ios::binary);
        files[entry.path().filename().string()] = {std::istreambuf_iterator<char>(in), {}};
    }
    return files;
}

const fs::path& workDirectory() {
    static const fs::path root =
        fs::temp_directory_path() / ("veltrano-fuzz-" + std::to_string(::getpid()));
    return root;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace veltrano;
    const fs::path root = workDirectory();
    const fs::path inbox = root / "inbox";
    fs::remove_all(root);
    fs::create_directories(inbox);

    ScriptedEndpoint endpoint;
    std::map<std::string, std::string> model;
    std::optional<std::string> current;
    int announced = 0;
    bool createFailed = false;
    {
        DiskFileStore store;
        ExchangeState exchange(endpoint, store,
                               {[&] { return inbox.string(); },
                                {},
                                [&](const FileProblem& problem) {
                                    if (problem.kind == FileProblem::Kind::CannotCreate)
                                        createFailed = true;
                                }});
        for (const std::string& message : splitMessages(data, size)) {
            const Text decoded = decodeMessage(message);
            createFailed = false;
            endpoint.next = message;
            exchange.onDataArrived();
            if (textContains(decoded, kStartOfFileMarker)) {
                ++announced;
                current.reset();
                const Text utf8 = percentDecode(messageTextView(message), false);
                const auto name = safeFileNameFromUtf8(replaceAll(utf8, kStartOfFileMarker, ""));
                if (name && !createFailed) {
                    current = name->string();
                    model[*current].clear();
                }
            } else if (!textContains(decoded, kEndOfFileMarker) && current) {
                model[*current] += message;
            }
        }
        check(exchange.receivedCount() == announced);
    }
    check(std::distance(fs::directory_iterator(root), fs::directory_iterator()) == 1);
    check(filesIn(inbox) == model);
    fs::remove_all(root);
    return 0;
}

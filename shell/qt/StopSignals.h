#pragma once

#include <QObject>

class QSocketNotifier;

namespace veltrano {

// Turns SIGINT and SIGTERM into the end of the event loop, so the program closes its files and
// exits normally instead of being cut off by the signal.
class StopSignals final : public QObject {
    Q_OBJECT

public:
    explicit StopSignals(QObject* parent = nullptr);
    ~StopSignals() override;

    // Installs the handlers; false when they cannot be installed.
    bool start();

    // The name of the signal that ended the event loop; empty when none did.
    const char* received() const { return received_; }

private:
    void onSignalled();

    QSocketNotifier* notifier_ = nullptr;
    const char* received_ = "";
};

}  // namespace veltrano

#pragma once

#include <QObject>
#include <memory>
#include <string>

#include "exchange/DiskFileStore.h"
#include "exchange/ExchangeState.h"
#include "shell/NoticeLog.h"

namespace veltrano {

class ServerEndpoint;

// The receiver without a window, for a computer with no display: files go to the default receive
// directory, the count and any problem are printed.
class HeadlessReceiver final : public QObject {
    Q_OBJECT

public:
    explicit HeadlessReceiver(QObject* parent = nullptr);
    ~HeadlessReceiver() override;

    // Listens on the exchange port; false, with the reason printed, when it cannot.
    bool start();
    void releaseExchangeState();

private:
    // A notice printed the first time and then ever more rarely while it repeats.
    void printNotice(const std::string& notice);

    ServerEndpoint* endpoint_;
    NoticeLog notices_;
    DiskFileStore files_;
    std::unique_ptr<ExchangeState> exchange_;
};

}  // namespace veltrano

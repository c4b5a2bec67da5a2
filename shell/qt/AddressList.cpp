#include "shell/qt/AddressList.h"

#include <QNetworkInterface>

namespace veltrano {

std::vector<Adapter> systemAdapters() {
    std::vector<Adapter> adapters;
    const auto wanted = QNetworkInterface::IsUp | QNetworkInterface::IsRunning;
    for (const QNetworkInterface& interface : QNetworkInterface::allInterfaces()) {
        Adapter adapter;
        adapter.name = interface.name().toStdString();
        adapter.displayName = interface.humanReadableName().toStdString();
        adapter.up = (interface.flags() & wanted) == wanted;
        adapter.loopback = interface.flags().testFlag(QNetworkInterface::IsLoopBack);
        adapter.virtualKind = interface.type() == QNetworkInterface::Virtual;
        for (const QNetworkAddressEntry& entry : interface.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                adapter.ipv4.push_back(entry.ip().toString().toStdString());
            }
        }
        adapters.push_back(std::move(adapter));
    }
    return adapters;
}

}  // namespace veltrano

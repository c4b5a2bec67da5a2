#include "shell/AddressPanel.h"

#include <QHostAddress>
#include <QNetworkInterface>
#include <algorithm>
#include <array>

#include "text/CodePage.h"

namespace veltrano {
namespace {

bool isPrivateIpv4(const QString& address) {
    const QHostAddress host(address);
    return host.isInSubnet(QHostAddress(QStringLiteral("10.0.0.0")), 8) ||
           host.isInSubnet(QHostAddress(QStringLiteral("172.16.0.0")), 12) ||
           host.isInSubnet(QHostAddress(QStringLiteral("192.168.0.0")), 16);
}

}  // namespace

bool isVirtualAdapter(const QString& name, const QString& humanReadableName) {
    constexpr std::array<const char16_t*, 10> prefixes = {u"docker", u"br-", u"veth",  u"virbr",
                                                          u"tun",    u"tap", u"vmnet", u"vboxnet",
                                                          u"lxcbr",  u"cni"};
    for (const char16_t* prefix : prefixes) {
        if (name.startsWith(QString::fromUtf16(prefix), Qt::CaseInsensitive)) return true;
    }
    // Windows names its adapters for people: these are the virtual ones.
    constexpr std::array<const char16_t*, 6> markers = {u"VirtualBox", u"VMware",      u"Hyper-V",
                                                        u"vEthernet",  u"TAP-Windows", u"WSL"};
    for (const char16_t* marker : markers) {
        if (humanReadableName.contains(QString::fromUtf16(marker), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

QStringList orderForPhones(const QStringList& addresses) {
    QStringList ordered;
    for (const QString& address : addresses) {
        if (!ordered.contains(address)) ordered.append(address);
    }
    std::stable_partition(ordered.begin(), ordered.end(), isPrivateIpv4);
    return ordered;
}

QStringList reachableIpv4Addresses() {
    QStringList addresses;
    const auto wanted = QNetworkInterface::IsUp | QNetworkInterface::IsRunning;
    for (const QNetworkInterface& adapter : QNetworkInterface::allInterfaces()) {
        const auto flags = adapter.flags();
        if ((flags & wanted) != wanted || flags.testFlag(QNetworkInterface::IsLoopBack)) continue;
        if (adapter.type() == QNetworkInterface::Virtual) continue;
        if (isVirtualAdapter(adapter.name(), adapter.humanReadableName())) continue;
        for (const QNetworkAddressEntry& entry : adapter.addressEntries()) {
            if (entry.ip().protocol() == QAbstractSocket::IPv4Protocol) {
                addresses.append(entry.ip().toString());
            }
        }
    }
    return orderForPhones(addresses);
}

void listLocalAddresses(const std::function<QStringList()>& listAddresses,
                        const std::function<void(const Text&)>& appendText) {
    const Text prefix = utf8ToCodePage936("本机IP：");
    for (const QString& address : listAddresses()) {
        appendText(prefix + address.toStdString() + "\r\n");
    }
    appendText(
        utf8ToCodePage936("\r\n操作方法:\r\n1.手机WIFI连接上与本电脑在同一局域网路由器\r\n"
                          "2.将本机IP填写到手机端软件的地址框,并点击'连接'按钮"));
}

}  // namespace veltrano

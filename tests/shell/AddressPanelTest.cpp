#include <gtest/gtest.h>

#include <vector>

#include "shell/AddressPanel.h"
#include "text/CodePage.h"

namespace veltrano {
namespace {

Text panelFor(const QStringList& addresses) {
    Text box;
    listLocalAddresses([&] { return addresses; }, [&](const Text& text) { box += text; });
    return box;
}

TEST(AddressPanel, WritesOneLinePerAddressThenTheGuide) {
    const Text guide = utf8ToCodePage936(
        "\r\n操作方法:\r\n1.手机WIFI连接上与本电脑在同一局域网路由器\r\n"
        "2.将本机IP填写到手机端软件的地址框,并点击'连接'按钮");
    EXPECT_EQ(panelFor({QStringLiteral("192.168.1.5")}),
              utf8ToCodePage936("本机IP：") + "192.168.1.5\r\n" + guide);
    EXPECT_EQ(panelFor({}), guide);
}

TEST(AddressPanel, LeavesOutAdaptersAPhoneCannotReach) {
    struct AdapterCase {
        const char* name;
        const char* humanName;
        bool isVirtual;
    };
    const std::vector<AdapterCase> cases = {
        {"eth0", "eth0", false},
        {"wlan0", "wlan0", false},
        {"enp3s0", "enp3s0", false},
        {"docker0", "docker0", true},
        {"br-1a2b3c", "br-1a2b3c", true},
        {"veth12ab", "veth12ab", true},
        {"virbr0", "virbr0", true},
        {"tun0", "tun0", true},
        {"tap1", "tap1", true},
        {"{GUID-1}", "以太网", false},
        {"{GUID-2}", "VirtualBox Host-Only Network", true},
        {"{GUID-3}", "vEthernet (WSL)", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isVirtualAdapter(QString::fromUtf8(c.name), QString::fromUtf8(c.humanName)),
                  c.isVirtual);
    }
}

TEST(AddressPanel, ListsPrivateAddressesFirstOnce) {
    const QStringList addresses = {QStringLiteral("203.0.113.9"), QStringLiteral("192.168.1.5"),
                                   QStringLiteral("172.20.0.4"),  QStringLiteral("192.168.1.5"),
                                   QStringLiteral("172.32.0.1"),  QStringLiteral("10.0.0.7")};
    EXPECT_EQ(orderForPhones(addresses),
              (QStringList{QStringLiteral("192.168.1.5"), QStringLiteral("172.20.0.4"),
                           QStringLiteral("10.0.0.7"), QStringLiteral("203.0.113.9"),
                           QStringLiteral("172.32.0.1")}));
}

}  // namespace
}  // namespace veltrano

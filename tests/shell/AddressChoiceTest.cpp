#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "shell/AddressChoice.h"
#include "shell/AddressPanel.h"
#include "text/CodePage.h"

namespace veltrano {
namespace {

using Addresses = std::vector<std::string>;

Text panelFor(const Addresses& addresses) {
    Text box;
    int calls = 0;
    listLocalAddresses([&] { return addresses; },
                       [&](const Text& text) {
                           box += text;
                           ++calls;
                       });
    EXPECT_EQ(calls, int(addresses.size()) + 1) << "one append per line, then the guide";
    return box;
}

TEST(AddressPanel, WritesOneLinePerAddressThenTheGuide) {
    const Text guide = utf8ToCodePage936(
        "\r\n操作方法:\r\n1.手机WIFI连接上与本电脑在同一局域网路由器\r\n"
        "2.将本机IP填写到手机端软件的地址框,并点击'连接'按钮");
    const Text prefix = utf8ToCodePage936("本机IP：");
    EXPECT_EQ(panelFor({"192.168.1.5"}), prefix + "192.168.1.5\r\n" + guide);
    EXPECT_EQ(panelFor({"192.168.1.5", "10.1.2.3"}),
              prefix + "192.168.1.5\r\n" + prefix + "10.1.2.3\r\n" + guide);
    EXPECT_EQ(panelFor({}), guide);
}

TEST(AddressChoice, LeavesOutAdaptersAPhoneCannotReach) {
    struct AdapterCase {
        const char* name;
        const char* displayName;
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
        {"TAP1", "tap1", true},
        {"{GUID-1}", "以太网", false},
        {"{GUID-2}", "VirtualBox Host-Only Network", true},
        {"{GUID-3}", "vEthernet (WSL)", true},
        {"{GUID-4}", "以太网 2 (vmware network adapter vmnet8)", true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(isVirtualAdapter(c.name, c.displayName), c.isVirtual);
    }
}

TEST(AddressChoice, ListsPrivateAddressesFirstOnce) {
    EXPECT_EQ(orderForPhones({"203.0.113.9", "192.168.1.5", "172.20.0.4", "192.168.1.5",
                              "172.32.0.1", "10.0.0.7", "192.168.1.256", "172.15.255.255"}),
              (Addresses{"192.168.1.5", "172.20.0.4", "10.0.0.7", "203.0.113.9", "172.32.0.1",
                         "192.168.1.256", "172.15.255.255"}));
}

TEST(AddressChoice, TakesTheAddressesOfAdaptersThatAreUpAndReal) {
    const std::vector<Adapter> adapters = {
        {"lo", "Loopback", true, true, false, {"127.0.0.1"}},
        {"eth0", "以太网", true, false, false, {"203.0.113.9", "192.168.1.5"}},
        {"eth1", "eth1", false, false, false, {"192.168.2.5"}},
        {"docker0", "docker0", true, false, false, {"172.17.0.1"}},
        {"{GUID}", "Teredo", true, false, true, {"10.9.9.9"}},
        {"wlan0", "WLAN", true, false, false, {"10.0.0.7", "192.168.1.5"}},
    };
    EXPECT_EQ(reachableIpv4Addresses(adapters),
              (Addresses{"192.168.1.5", "10.0.0.7", "203.0.113.9"}));
    EXPECT_TRUE(reachableIpv4Addresses({}).empty());
}

}  // namespace
}  // namespace veltrano

#include "shell/AddressChoice.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>

namespace veltrano {
namespace {

char lowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? char(c - 'A' + 'a') : c;
}

bool equalIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return lowerAscii(x) == lowerAscii(y);
           });
}

bool startsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && equalIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool containsIgnoringCase(std::string_view text, std::string_view part) {
    for (std::size_t at = 0; at + part.size() <= text.size(); ++at) {
        if (equalIgnoringCase(text.substr(at, part.size()), part)) return true;
    }
    return false;
}

std::optional<std::uint32_t> parseIpv4(std::string_view text) {
    std::uint32_t value = 0;
    int parts = 0;
    std::size_t at = 0;
    while (parts < 4) {
        std::uint32_t part = 0;
        std::size_t digits = 0;
        while (at < text.size() && text[at] >= '0' && text[at] <= '9' && digits < 3) {
            part = part * 10 + std::uint32_t(text[at] - '0');
            ++at;
            ++digits;
        }
        if (digits == 0 || part > 255) return std::nullopt;
        value = (value << 8) | part;
        ++parts;
        if (parts < 4) {
            if (at >= text.size() || text[at] != '.') return std::nullopt;
            ++at;
        }
    }
    if (at != text.size()) return std::nullopt;
    return value;
}

bool isPrivateIpv4(const std::string& address) {
    const auto value = parseIpv4(address);
    if (!value) return false;
    return (*value >> 24) == 10 || (*value >> 20) == ((172u << 4) | 1u) ||
           (*value >> 16) == ((192u << 8) | 168u);
}

}  // namespace

bool isVirtualAdapter(std::string_view name, std::string_view displayName) {
    constexpr std::array<std::string_view, 10> prefixes = {
        "docker", "br-", "veth", "virbr", "tun", "tap", "vmnet", "vboxnet", "lxcbr", "cni"};
    for (std::string_view prefix : prefixes) {
        if (startsWithIgnoringCase(name, prefix)) return true;
    }
    // Windows names its adapters for people: these are the virtual ones.
    constexpr std::array<std::string_view, 6> markers = {"VirtualBox", "VMware",      "Hyper-V",
                                                         "vEthernet",  "TAP-Windows", "WSL"};
    for (std::string_view marker : markers) {
        if (containsIgnoringCase(displayName, marker)) return true;
    }
    return false;
}

std::vector<std::string> orderForPhones(const std::vector<std::string>& addresses) {
    std::vector<std::string> ordered;
    for (const std::string& address : addresses) {
        if (std::find(ordered.begin(), ordered.end(), address) == ordered.end()) {
            ordered.push_back(address);
        }
    }
    std::stable_partition(ordered.begin(), ordered.end(), isPrivateIpv4);
    return ordered;
}

std::vector<std::string> reachableIpv4Addresses(const std::vector<Adapter>& adapters) {
    std::vector<std::string> addresses;
    for (const Adapter& adapter : adapters) {
        if (!adapter.up || adapter.loopback || adapter.virtualKind) continue;
        if (isVirtualAdapter(adapter.name, adapter.displayName)) continue;
        addresses.insert(addresses.end(), adapter.ipv4.begin(), adapter.ipv4.end());
    }
    return orderForPhones(addresses);
}

}  // namespace veltrano

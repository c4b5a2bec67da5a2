#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veltrano {

// A network adapter as the platform reports it, in neutral terms.
struct Adapter {
    std::string name;         // the system's name ("eth0", "{GUID}")
    std::string displayName;  // the name people see, UTF-8 ("以太网")
    bool up = false;          // up and running
    bool loopback = false;
    bool virtualKind = false;       // the platform itself says it is virtual
    std::vector<std::string> ipv4;  // dotted quads
};

// True for adapters a phone cannot reach, judged by their system and display names.
bool isVirtualAdapter(std::string_view name, std::string_view displayName);

// Orders private-range addresses before the others and drops duplicates, keeping the order.
std::vector<std::string> orderForPhones(const std::vector<std::string>& addresses);

// The IPv4 addresses a phone on the local network could reach: adapters that are up and not
// loopback, without container, virtual-machine and tunnel adapters; private ranges first.
std::vector<std::string> reachableIpv4Addresses(const std::vector<Adapter>& adapters);

}  // namespace veltrano

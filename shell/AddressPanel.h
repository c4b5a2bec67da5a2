#pragma once

#include <QString>
#include <QStringList>
#include <functional>

#include "text/Text.h"

namespace veltrano {

// The IPv4 addresses a phone on the local network could reach: interfaces that are up, running
// and not loopback, without container, virtual-machine and tunnel adapters; private ranges first.
QStringList reachableIpv4Addresses();

// True for adapters a phone cannot reach, judged by their system and display names.
bool isVirtualAdapter(const QString& name, const QString& humanReadableName);

// Orders private-range addresses before the others and drops duplicates, keeping the order.
QStringList orderForPhones(const QStringList& addresses);

// Appends one "本机IP：" line per address, then the connection guide.
void listLocalAddresses(const std::function<QStringList()>& listAddresses,
                        const std::function<void(const Text&)>& appendText);

}  // namespace veltrano

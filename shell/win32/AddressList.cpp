#include "shell/win32/AddressList.h"

// winsock2.h before iphlpapi.h, which builds on it.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <iphlpapi.h>

#include <string>

#include "shell/win32/Wide.h"

namespace veltrano {

std::vector<Adapter> systemAdapters() {
    constexpr ULONG flags =
        GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST | GAA_FLAG_SKIP_DNS_SERVER;
    ULONG size = 16 * 1024;
    std::string buffer;
    ULONG result = ERROR_BUFFER_OVERFLOW;
    // The list can grow between the sizing call and the next one: a few tries.
    for (int attempt = 0; attempt < 4 && result == ERROR_BUFFER_OVERFLOW; ++attempt) {
        buffer.resize(size);
        result = GetAdaptersAddresses(
            AF_INET, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()), &size);
    }
    std::vector<Adapter> adapters;
    if (result != NO_ERROR) return adapters;
    for (auto* entry = reinterpret_cast<IP_ADAPTER_ADDRESSES*>(buffer.data()); entry;
         entry = entry->Next) {
        Adapter adapter;
        adapter.name = entry->AdapterName ? entry->AdapterName : "";
        adapter.displayName = wideToUtf8(entry->FriendlyName ? entry->FriendlyName : L"");
        if (entry->Description) adapter.displayName += " " + wideToUtf8(entry->Description);
        adapter.up = entry->OperStatus == IfOperStatusUp;
        adapter.loopback = entry->IfType == IF_TYPE_SOFTWARE_LOOPBACK;
        adapter.virtualKind = entry->IfType == IF_TYPE_TUNNEL;
        for (auto* unicast = entry->FirstUnicastAddress; unicast; unicast = unicast->Next) {
            const sockaddr* address = unicast->Address.lpSockaddr;
            if (!address || address->sa_family != AF_INET) continue;
            char text[INET_ADDRSTRLEN] = {};
            inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text,
                      sizeof text);
            adapter.ipv4.emplace_back(text);
        }
        adapters.push_back(std::move(adapter));
    }
    return adapters;
}

}  // namespace veltrano

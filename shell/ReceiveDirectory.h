#pragma once

#include <QString>

namespace veltrano {

inline constexpr quint16 kExchangePort = 3456;

// "D:\" where there are drive letters; the user's home directory elsewhere.
QString defaultReceiveDirectory();

}  // namespace veltrano

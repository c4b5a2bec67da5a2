#pragma once

#include <QString>

#include "exchange/ExchangeState.h"

namespace veltrano {

// One line for the information box saying why an announced file is not being stored.
QString fileProblemNotice(const FileProblem& problem);

// One line saying that files cannot be received because the port cannot be opened.
QString listenFailureNotice(quint16 port, bool addressInUse, const QString& systemReason);

}  // namespace veltrano

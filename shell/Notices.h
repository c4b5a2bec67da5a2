#pragma once

#include <cstddef>
#include <cstdint>

#include "exchange/ExchangeState.h"
#include "text/Text.h"

namespace veltrano {

// The most characters of a file name that a notice shows.
inline constexpr std::size_t kNoticeNameLength = 40;

// A name (code page 936) as a notice shows it: a longer one keeps its start and its end, where the
// extension is, around "…"; control characters, which could break a line or forge one, become "?".
Text shortenedName(const Text& name, std::size_t maxLength = kNoticeNameLength);

// One line (code page 936) saying why an announced file is not being stored.
Text fileProblemNotice(const FileProblem& problem);

// One line (code page 936) saying that files cannot be received because the port cannot be
// opened; `systemReason` is code page 936 too.
Text listenFailureNotice(std::uint16_t port, bool addressInUse, const Text& systemReason);

}  // namespace veltrano

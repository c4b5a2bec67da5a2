#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <system_error>

#include "exchange/ExchangeState.h"
#include "text/Text.h"

namespace veltrano {

// The system's own words for an error, in UTF-8; each front end asks its platform.
using SystemMessage = std::function<std::string(const std::error_code&)>;

// The most characters of a file name that a notice shows.
inline constexpr std::size_t kNoticeNameLength = 40;

// A name (code page 936) as a notice shows it: a longer one keeps its start and its end, where the
// extension is, around "…"; control characters, which could break a line or forge one, become "?".
Text shortenedName(const Text& name, std::size_t maxLength = kNoticeNameLength);

// One line (UTF-8) for the information box saying why an announced file is not being stored.
std::string fileProblemNotice(const FileProblem& problem, const SystemMessage& systemMessage);

// One line (UTF-8) saying that files cannot be received because the port cannot be opened.
std::string listenFailureNotice(std::uint16_t port, bool addressInUse,
                                const std::string& systemReason);

}  // namespace veltrano

#pragma once

#include <QProcess>
#include <QTcpSocket>
#include <filesystem>

namespace veltrano::test {

inline constexpr quint16 kExchangePort = 3456;

// The program as a user starts it, with `home` as its home directory (its default receive
// directory off Windows), ended when the test is done with it.
class RunningProgram {
public:
    // `display`, when given, becomes the DISPLAY the program is started with; `descriptors`, when
    // not 0, its limit of open descriptors.
    RunningProgram(const std::filesystem::path& home, bool withDisplay, const QString& display = {},
                   unsigned long descriptors = 0);
    ~RunningProgram();
    RunningProgram(const RunningProgram&) = delete;
    RunningProgram& operator=(const RunningProgram&) = delete;

    QProcess& process() { return process_; }

private:
    QProcess process_;
};

// False when something else holds the exchange port.
bool exchangePortIsFree();

// The program opens its port a moment after it starts: tries until it answers.
bool connectWhenListening(QTcpSocket& phone);

}  // namespace veltrano::test

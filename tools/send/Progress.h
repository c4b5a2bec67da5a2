#pragma once

#include <QtGlobal>
#include <chrono>

namespace veltrano::send {

// A one-line progress bar on standard error: files done, bytes, rate. It appears only once a
// transfer has taken longer than a moment, and never when standard error is not a terminal.
class Progress {
public:
    Progress(int totalFiles, qint64 totalBytes);

    void addBytes(qint64 bytes);
    void fileDone();
    // Ends the line if a bar was drawn.
    void finish();

private:
    void draw(bool force);

    using Clock = std::chrono::steady_clock;
    const bool enabled_;
    const int totalFiles_;
    const qint64 totalBytes_;
    int filesDone_ = 0;
    qint64 bytesDone_ = 0;
    Clock::time_point started_ = Clock::now();
    Clock::time_point lastDrawn_{};
    bool drawn_ = false;
};

}  // namespace veltrano::send

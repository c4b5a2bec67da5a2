#include "tools/send/Progress.h"

#include <cstdio>
#include <string>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace veltrano::send {

Progress::Progress(int totalFiles, qint64 totalBytes)
    : enabled_(isatty(fileno(stderr)) != 0), totalFiles_(totalFiles), totalBytes_(totalBytes) {}

void Progress::addBytes(qint64 bytes) {
    bytesDone_ += bytes;
    draw(false);
}

void Progress::fileDone() {
    ++filesDone_;
    draw(false);
}

void Progress::finish() {
    if (!enabled_ || !drawn_) return;
    draw(true);
    std::fputc('\n', stderr);
}

void Progress::draw(bool force) {
    if (!enabled_) return;
    const auto now = Clock::now();
    const auto elapsed = std::chrono::duration<double>(now - started_).count();
    if (!force && (elapsed < 0.5 || now - lastDrawn_ < std::chrono::milliseconds(100))) return;
    lastDrawn_ = now;
    drawn_ = true;
    constexpr int width = 30;
    const double fraction = totalBytes_ > 0 ? double(bytesDone_) / double(totalBytes_) : 1.0;
    const int filled = int(fraction * width);
    const std::string bar = std::string(filled, '#') + std::string(width - filled, ' ');
    const double megabytes = double(bytesDone_) / 1e6;
    std::fprintf(stderr, "\r[%s] %d/%d files  %.1f MB  %.1f MB/s ", bar.c_str(), filesDone_,
                 totalFiles_, megabytes, elapsed > 0 ? megabytes / elapsed : 0.0);
    std::fflush(stderr);
}

}  // namespace veltrano::send

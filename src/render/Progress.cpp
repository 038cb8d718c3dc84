#include "render/Progress.h"

#include <cstdio>
#include <string>

#include "cli/Arguments.h"

namespace qv {

Progress::Progress(bool enabled, int rate)
    : enabled_(enabled), rate_(rate), start_(std::chrono::steady_clock::now()), last_(start_) {}

void Progress::update(long long done, long long total, const std::string& name) {
    if (!enabled_) return;
    auto now = std::chrono::steady_clock::now();
    if (now - last_ < std::chrono::milliseconds(200)) return;
    last_ = now;
    double wall = std::chrono::duration<double>(now - start_).count();
    double audio = static_cast<double>(done) / rate_;
    double speed = wall > 0 ? audio / wall : 0;
    const std::string playing = cli::printable(name);
    if (total > 0) {
        double left = speed > 0 ? (static_cast<double>(total - done) / rate_) / speed : 0;
        std::fprintf(stderr, "\r%3d%%  %s of %s  %.0fx real time  %s left  %s\033[K",
                     static_cast<int>(100 * done / total), cli::clock_text(audio).c_str(),
                     cli::clock_text(static_cast<double>(total) / rate_).c_str(), speed,
                     cli::clock_text(left).c_str(), playing.c_str());
    } else {
        std::fprintf(stderr, "\r%s  %.0fx real time  %s\033[K", cli::clock_text(audio).c_str(),
                     speed, playing.c_str());
    }
    shown_ = true;
}

void Progress::finish() {
    if (shown_) std::fputs("\r\033[K", stderr);
    shown_ = false;
}

}  // namespace qv

#pragma once

#include <chrono>
#include <string>

namespace qv {

// One status line on stderr while a render runs: percent (when the length is known),
// audio time done, speed as a multiple of real time, the time left and, in a session,
// the setup in play ("2/3 SlowBeat.qrv").
class Progress {
public:
    Progress(bool enabled, int rate);
    // `total` is the number of frames to render, or negative while unknown.
    void update(long long done, long long total, const std::string& playing);
    void finish();

private:
    bool enabled_;
    int rate_;
    bool shown_ = false;
    std::chrono::steady_clock::time_point start_;
    std::chrono::steady_clock::time_point last_;
};

}  // namespace qv

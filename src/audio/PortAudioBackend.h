#pragma once

#include <string>
#include <vector>

#include "audio/SoundBackend.h"

namespace qv {

// The sound card through PortAudio: an output device, stereo float at its own default
// rate. A stream that runs is kept when the tone output opens again (Play); each open
// starts PortAudio afresh, so a default device that changed since (headphones plugged in),
// or a sound server started again after the stream failed, is the one opened.
class PortAudioBackend : public SoundBackend {
public:
    struct Options {
        // The device by its name (numbers change when a sound server starts again); empty
        // for the default output.
        std::string device;
        // How far ahead the sound is mixed, in seconds; 0 for the device's own low
        // suggestion. More means fewer wake-ups, a later answer to a changed slider.
        double latency = 0;
    };
    struct Output {
        int number;
        std::string name;
        bool is_default;
    };

    PortAudioBackend() = default;
    explicit PortAudioBackend(Options options) : options_(std::move(options)) {}

    std::unique_ptr<SoundDevice> open_default(std::string& error) override;
    // The devices that take stereo sound, or nothing and why.
    static std::vector<Output> outputs(std::string& error);

private:
    Options options_;
};

}  // namespace qv

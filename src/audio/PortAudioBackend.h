#pragma once

#include "audio/SoundBackend.h"

namespace qv {

// The sound card through PortAudio: the current default output device, stereo float at
// its own default rate, opened with its low-latency suggestion. Each open starts
// PortAudio afresh, so a default device that changed since (headphones plugged in) is
// the one opened.
class PortAudioBackend : public SoundBackend {
public:
    std::unique_ptr<SoundDevice> open_default(std::string& error) override;
};

}  // namespace qv

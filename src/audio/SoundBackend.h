#pragma once

#include <memory>
#include <string>

#include "audio/SoundDevice.h"

namespace qv {

// Where the tone output gets its device from: the sound card (PortAudioBackend), frames on
// request (OfflineBackend), or a stand-in of the tests.
class SoundBackend {
public:
    virtual ~SoundBackend() = default;

    // Opens the current default output device, or gives nullptr and a short reason in
    // `error` ("no default output device").
    virtual std::unique_ptr<SoundDevice> open_default(std::string& error) = 0;
};

}  // namespace qv

#pragma once

#include <cstdint>

#include "audio/SampleArray.h"

namespace qv {

// Sees every call the program makes on the tone output, whether the device accepts the
// value or not: the renderer's trace and the tests read what the program asked for.
class ToneOutputObserver {
public:
    virtual ~ToneOutputObserver() = default;
    virtual void volume_set(std::int32_t /*volume*/) {}
    virtual void frequency_set(int /*channel*/, std::int32_t /*hz*/) {}
    virtual void pan_set(int /*channel*/, std::int32_t /*pan*/) {}
    virtual void channel_written(int /*channel*/, const SampleArray& /*samples*/) {}
};

}  // namespace qv

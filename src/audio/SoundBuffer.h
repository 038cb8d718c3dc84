#pragma once

#include <array>
#include <cstdint>

#include "audio/LoopVoice.h"

namespace qv {

class modSynth_DX7;

// One sound object of the tone output: a looping channel buffer (rate and pan) or the
// primary buffer (master volume). A call returns false when the value is refused; the
// buffer then keeps its previous setting.
class SoundBuffer {
public:
    // Format rate of a channel buffer, its playback rate until the first SetFrequency.
    static constexpr std::int32_t kFormatRate = 11050;
    static constexpr std::int32_t kSilence = -10000;  // hundredths of a decibel

    SoundBuffer(modSynth_DX7& owner, int channel);

    // Starts a channel buffer looping from its start. The primary buffer has no data to play.
    bool Play();
    // Channel buffers: playback rate in Hz, 100..100000.
    bool SetFrequency(std::int32_t hz);
    // Channel buffers: hundredths of a decibel, -10000 (left only) to 10000 (right only).
    bool SetPan(std::int32_t pan);
    // Primary buffer: hundredths of a decibel, -10000 (silence) to 0 (full level).
    bool SetVolume(std::int32_t volume);

private:
    friend class modSynth_DX7;

    modSynth_DX7& owner_;
    int channel_;  // 0 or 1, or -1 for the primary buffer
    std::array<std::uint8_t, kLoopLength> data_;
    std::int32_t frequency_ = kFormatRate;
    std::int32_t pan_ = 0;
    std::int32_t volume_ = 0;
    bool volume_given_ = false;  // the primary buffer's volume was set
    bool playing_ = false;
    bool sounding_ = false;  // holds more than the rest level
};

}  // namespace qv

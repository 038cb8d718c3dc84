#pragma once

// The tone output of the program, under its own name: the sound device, the master-volume
// buffer and the two channel buffers that every tick writes.

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/NoiseBed.h"
#include "audio/SampleArray.h"
#include "audio/SoundBackend.h"
#include "audio/SoundBuffer.h"
#include "audio/ToneOutputObserver.h"

namespace qv {

using WindowHandle = std::int32_t;

// The tone output: the default sound device, the master-volume primary buffer and two
// looping channel buffers, 0 for the left ear and 1 for the right. Every call comes from
// the UI thread; the device mixes on its own thread from the states published here.
class modSynth_DX7 {
public:
    // Frames only on request (OfflineBackend at 48000 Hz): nothing reaches a sound card.
    modSynth_DX7();
    explicit modSynth_DX7(std::unique_ptr<SoundBackend> backend);
    ~modSynth_DX7();
    modSynth_DX7(const modSynth_DX7&) = delete;
    modSynth_DX7& operator=(const modSynth_DX7&) = delete;

    // Opens the default device anew (the old stream closes first), or starts over on the
    // stream that runs, with a new primary buffer and two new, silent channel buffers.
    // False when it fails; failure() says why.
    // Opening the device fails: nothing is released. Starting it fails: both channel
    // buffers and the device are released, the primary buffer stays.
    bool InitSynth(WindowHandle windowHandle);
    // Why the last InitSynth failed; empty after one that succeeded.
    const std::string& failure() const { return failure_; }

    // Copies samples 0..178 into the channel's buffer; refuses channels other than 0, 1 and
    // a channel buffer that does not exist.
    bool WriteChannel(int channel, const SampleArray& samples);
    // Closing the window: channelBuffer(0), channelBuffer(1), then the device go.
    void Release();

    // Noise beneath the tones, `level_db` its band's RMS in each ear at full volume. It
    // follows the master volume, and is silent after InitSynth until the first volume.
    void set_noise(NoiseColour colour, double level_db);

    // Null while the object does not exist.
    SoundBuffer* primaryBuffer() { return primary_.get(); }
    SoundBuffer* channelBuffer(int i) { return i == 0 || i == 1 ? channels_[i].get() : nullptr; }
    SoundDevice* soundDevice() { return device_.get(); }

    // Null unless someone listens; not owned.
    ToneOutputObserver* observer = nullptr;

private:
    friend class SoundBuffer;

    // Hands the device the whole current state of the buffers.
    void publish();

    std::unique_ptr<SoundBackend> backend_;
    NoiseBed noise_bed_;
    NoiseColour noise_colour_ = NoiseColour::Off;
    float noise_level_ = 0.0f;
    std::unique_ptr<SoundBuffer> primary_;
    std::array<std::unique_ptr<SoundBuffer>, 2> channels_;
    std::unique_ptr<SoundDevice> device_;  // last: it stops mixing before the rest goes
    std::string failure_;
};

}  // namespace qv

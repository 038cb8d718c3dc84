#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "audio/MixState.h"
#include "audio/NoiseBed.h"
#include "audio/SoundBackend.h"

namespace qv {

// A channel's sample array: 180 unsigned 8-bit samples, 127 the rest level. Elements
// 0..178 are played; element 179 is computed and drawn but never reaches the device.
using SampleArray = std::array<std::uint8_t, 180>;
inline constexpr int kChannelBufferBytes = kLoopLength;

using WindowHandle = std::int32_t;

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

class modSynth_DX7;

// One sound object of the tone output: a looping channel buffer (rate and pan) or the
// primary buffer (master volume). A call returns false when the value is refused; the
// buffer then keeps its previous setting.
class SoundBuffer {
public:
    // Format rate of a channel buffer, its playback rate until the first SetFrequency.
    static constexpr std::int32_t kFormatRate = 11050;

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

    SampleArray leftBytes{};
    SampleArray rightBytes{};

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

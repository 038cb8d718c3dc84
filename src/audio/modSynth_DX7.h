#pragma once

#include <array>
#include <cstdint>

namespace qv {

// A channel's sample array: 180 unsigned 8-bit samples, 127 the rest level. Elements
// 0..178 are played; element 179 is computed and drawn but never reaches the device.
using SampleArray = std::array<std::uint8_t, 180>;
inline constexpr int kChannelBufferBytes = 179;

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
// primary buffer (master volume). Every call returns false when the value is refused.
class SoundBuffer {
public:
    SoundBuffer(modSynth_DX7& owner, int channel) : owner_(owner), channel_(channel) {}
    bool Play();
    bool SetFrequency(std::int32_t hz);
    bool SetPan(std::int32_t pan);
    bool SetVolume(std::int32_t volume);

private:
    modSynth_DX7& owner_;
    int channel_;  // 0 or 1, or -1 for the primary buffer
};

// The tone output: the default sound device, the master-volume primary buffer and two
// looping channel buffers, 0 for the left ear and 1 for the right.
//
// Stand-in until the real device lands: InitSynth succeeds and every buffer accepts
// every call.
class modSynth_DX7 {
public:
    bool InitSynth(WindowHandle windowHandle);
    // Copies samples 0..178 into the channel's buffer; refuses channels other than 0, 1.
    bool WriteChannel(int channel, const SampleArray& samples);
    // Closing the window: channelBuffer(0), channelBuffer(1), then the device go.
    void Release();

    SoundBuffer* primaryBuffer() { return open_ ? &primary_ : nullptr; }
    SoundBuffer* channelBuffer(int i) { return open_ && (i == 0 || i == 1) ? &channels_[i] : nullptr; }

    SampleArray leftBytes{};
    SampleArray rightBytes{};

    // Null unless someone listens; not owned.
    ToneOutputObserver* observer = nullptr;

private:
    bool open_ = false;
    SoundBuffer primary_{*this, -1};
    std::array<SoundBuffer, 2> channels_{SoundBuffer{*this, 0}, SoundBuffer{*this, 1}};
};

}  // namespace qv

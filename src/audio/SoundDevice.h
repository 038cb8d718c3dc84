#pragma once

#include <string>

#include "audio/ToneMixer.h"

namespace qv {

// An opened output device with the mixer that feeds it at the device's own rate. Its gain
// stage starts at silence and fades in with the first sound written to it: its new buffers
// hold only the rest level until the next tick fills them, so a fade at open time would be
// over before there is anything to fade.
class SoundDevice {
public:
    static constexpr double kFadeSeconds = 0.010;

    explicit SoundDevice(double output_rate) : mixer_(output_rate, 0.0f) {}
    virtual ~SoundDevice() = default;
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // Starts the stream: from now on the device asks mixer() for blocks. False, and why in
    // `error`, when the device will not run.
    virtual bool start(std::string& error) = 0;
    // Ends the stream and lets go of the device, so that the default device can be opened
    // anew; the object stays, silent. Closing twice is harmless.
    virtual void close() = 0;

    // Starts over on the running stream instead of closing it, which may wait for the
    // device: what plays fades out, and the next sound fades in as on a device opened
    // afresh. False when the stream does not run (it failed, or was never started) or the
    // device always opens anew.
    bool start_over() {
        if (!running()) return false;
        mixer_.start_over();
        fade_in_ = true;
        return true;
    }

    // Something was written to a buffer.
    void sound_written() {
        if (fade_in_) mixer_.fade_to(1.0f, kFadeSeconds);
        fade_in_ = false;
    }
    // Whether anything was written to it.
    bool sounded() const { return !fade_in_; }

    ToneMixer& mixer() { return mixer_; }
    double output_rate() const { return mixer_.output_rate(); }

protected:
    virtual bool running() const { return false; }

private:
    ToneMixer mixer_;
    bool fade_in_ = true;
};

}  // namespace qv

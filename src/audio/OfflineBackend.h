#pragma once

#include <cstddef>
#include <vector>

#include "audio/SoundBackend.h"

namespace qv {

// A device without a sound card: it produces frames only when someone pulls them, at a
// chosen output rate. The renderer and the tests listen through it.
class OfflineBackend : public SoundBackend {
public:
    explicit OfflineBackend(double output_rate = 48000.0) : output_rate_(output_rate) {}
    ~OfflineBackend() override;

    std::unique_ptr<SoundDevice> open_default(std::string& error) override;

    double output_rate() const { return output_rate_; }

    // Writes the next `frames` stereo frames (left, right interleaved) of the running
    // device to `out`, with the fade of the one it replaced beneath: silence while none
    // runs (before InitSynth, after a failed one, after Release). True when a running
    // device made them. May run on another thread than the tone output's calls, but not
    // while InitSynth or Release runs.
    bool pull(float* out, std::size_t frames);

protected:
    // Asked when a device starts; a false answer and its reason make the start fail.
    virtual bool may_start(std::string& /*error*/) { return true; }

private:
    class Device;
    // A device that closes fades out over a few milliseconds under what follows.
    void fade_out(ToneMixer& mixer);

    double output_rate_;
    Device* running_ = nullptr;
    std::vector<float> tail_;  // interleaved frames of closed devices' fades
    std::size_t tail_at_ = 0;
};

}  // namespace qv

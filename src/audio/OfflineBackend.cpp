#include "audio/OfflineBackend.h"

#include <algorithm>
#include <cmath>

namespace qv {

class OfflineBackend::Device final : public SoundDevice {
public:
    explicit Device(OfflineBackend& backend)
        : SoundDevice(backend.output_rate()), backend_(backend) {}
    // A device that goes with the tone output has nobody left to hear its fade.
    ~Device() override {
        if (backend_.running_ == this) backend_.running_ = nullptr;
    }

    bool start(std::string& error) override {
        if (!backend_.may_start(error)) return false;
        backend_.running_ = this;
        return true;
    }
    void close() override {
        if (backend_.running_ != this) return;
        backend_.running_ = nullptr;
        if (sounded()) backend_.fade_out(mixer());
    }

private:
    OfflineBackend& backend_;
};

OfflineBackend::~OfflineBackend() = default;

std::unique_ptr<SoundDevice> OfflineBackend::open_default(std::string& /*error*/) {
    return std::make_unique<Device>(*this);
}

void OfflineBackend::fade_out(ToneMixer& mixer) {
    // Nothing reaches the closed device any more, so its fade can be mixed now; it sounds
    // under whatever the next device plays, as a sound card's last buffers would.
    const auto frames =
        static_cast<std::size_t>(std::lround(SoundDevice::kFadeSeconds * output_rate_));
    std::vector<float> fade(2 * frames);
    mixer.fade_to(0.0f, SoundDevice::kFadeSeconds);
    mixer.render_block(fade.data(), frames);
    for (std::size_t i = 0; tail_at_ + i < tail_.size() && i < fade.size(); ++i)
        fade[i] += tail_[tail_at_ + i];
    tail_ = std::move(fade);
    tail_at_ = 0;
}

bool OfflineBackend::pull(float* out, std::size_t frames) {
    if (running_) {
        running_->mixer().render_block(out, frames);
    } else {
        std::fill_n(out, frames * 2, 0.0f);
    }
    for (std::size_t i = 0; i < frames * 2 && tail_at_ < tail_.size(); ++i, ++tail_at_)
        out[i] = std::clamp(out[i] + tail_[tail_at_], -1.0f, 1.0f);
    return running_ != nullptr;
}

}  // namespace qv

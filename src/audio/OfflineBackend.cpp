#include "audio/OfflineBackend.h"

#include <algorithm>

namespace qv {

class OfflineBackend::Device final : public SoundDevice {
public:
    explicit Device(OfflineBackend& backend)
        : SoundDevice(backend.output_rate()), backend_(backend) {}
    ~Device() override { close(); }

    bool start(std::string& error) override {
        if (!backend_.may_start(error)) return false;
        backend_.running_ = this;
        return true;
    }
    void close() override {
        if (backend_.running_ == this) backend_.running_ = nullptr;
    }

private:
    OfflineBackend& backend_;
};

OfflineBackend::~OfflineBackend() = default;

std::unique_ptr<SoundDevice> OfflineBackend::open_default(std::string& /*error*/) {
    return std::make_unique<Device>(*this);
}

bool OfflineBackend::pull(float* out, std::size_t frames) {
    if (!running_) {
        std::fill_n(out, frames * 2, 0.0f);
        return false;
    }
    running_->mixer().render_block(out, frames);
    return true;
}

}  // namespace qv

#include "audio/modSynth_DX7.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "audio/OfflineBackend.h"

namespace qv {
namespace {

constexpr std::int32_t kSilence = SoundBuffer::kSilence;

// An attenuation in hundredths of a decibel as a linear gain; -10000 is silence itself.
// Every tick asks for the same few again, so all of them are worked out once.
float gain_of(std::int32_t attenuation) {
    static const std::array<float, -kSilence + 1> gains = [] {
        std::array<float, -kSilence + 1> table{};
        for (int a = kSilence + 1; a <= 0; ++a) {
            table[static_cast<std::size_t>(a - kSilence)] =
                static_cast<float>(std::pow(10.0, a / 2000.0));
        }
        return table;
    }();
    if (attenuation <= kSilence) return 0.0f;
    return gains[static_cast<std::size_t>(std::min(attenuation, 0) - kSilence)];
}

}  // namespace

modSynth_DX7::modSynth_DX7() : modSynth_DX7(std::make_unique<OfflineBackend>()) {}

modSynth_DX7::modSynth_DX7(std::unique_ptr<SoundBackend> backend) : backend_(std::move(backend)) {}

modSynth_DX7::~modSynth_DX7() = default;

bool modSynth_DX7::InitSynth(WindowHandle) {
    failure_.clear();

    // Stage 1: the device. A stream that runs starts over, which never waits for the device.
    // Otherwise the old stream goes first, or the default device may refuse to open a
    // second time; its objects stay in place if the new one cannot be opened.
    const bool going_on = device_ && device_->start_over();
    if (!going_on) {
        if (device_) device_->close();
        std::unique_ptr<SoundDevice> device = backend_->open_default(failure_);
        if (!device) {
            if (failure_.empty()) failure_ = "the sound device could not be opened";
            return false;
        }
        device_ = std::move(device);
        noise_bed_.prepare(device_->output_rate());
        device_->mixer().set_noise_bed(&noise_bed_);
    }

    // Stage 2: the buffers, then the stream. The device mixes stereo float at its own rate:
    // the channel buffers' 11050 Hz 8-bit mono format is never forced on the device's mix,
    // which would fold both ears into one.
    primary_ = std::make_unique<SoundBuffer>(*this, -1);
    channels_[0] = std::make_unique<SoundBuffer>(*this, 0);
    channels_[1] = std::make_unique<SoundBuffer>(*this, 1);
    publish();
    if (!going_on && !device_->start(failure_)) {
        channels_[0].reset();
        channels_[1].reset();
        device_.reset();
        if (failure_.empty()) failure_ = "the sound device could not be started";
        return false;
    }
    return true;
}

bool modSynth_DX7::WriteChannel(int channel, const SampleArray& samples) {
    if (channel != 0 && channel != 1) return false;
    if (observer) observer->channel_written(channel, samples);
    SoundBuffer* buffer = channels_[channel].get();
    if (!buffer) return false;
    std::copy_n(samples.begin(), kChannelBufferBytes, buffer->data_.begin());
    buffer->sounding_ = std::any_of(buffer->data_.begin(), buffer->data_.end(),
                                    [](std::uint8_t b) { return b != kRestLevel; });
    publish();
    device_->sound_written();
    return true;
}

void modSynth_DX7::Release() {
    // The stream fades out and ends while the buffers still play; then they go.
    if (device_) device_->close();
    channels_[0].reset();
    channels_[1].reset();
    publish();
    device_.reset();
}

void modSynth_DX7::set_noise(NoiseColour colour, double level_db) {
    noise_colour_ = colour;
    noise_level_ = static_cast<float>(std::pow(10.0, level_db / 20.0));
    publish();
}

void modSynth_DX7::publish() {
    if (!device_) return;
    ToneMixer& mixer = device_->mixer();
    MixState& state = mixer.next_state();
    const float master = primary_ ? gain_of(primary_->volume_) : 1.0f;
    for (std::size_t i = 0; i < channels_.size(); ++i) {
        LoopVoice& voice = state.voices[i];
        const SoundBuffer* buffer = channels_[i].get();
        voice.playing = buffer && buffer->playing_;
        if (!voice.playing) continue;
        voice.bytes = buffer->data_;
        voice.rate = buffer->frequency_;
        voice.sounding = buffer->sounding_;
        // A negative pan lowers the right side, a positive one the left.
        voice.left_gain = master * gain_of(-std::max(buffer->pan_, 0));
        voice.right_gain = master * gain_of(std::min(buffer->pan_, 0));
    }
    state.noise = noise_colour_;
    state.noise_gain = primary_ && primary_->volume_given_ ? master * noise_level_ : 0.0f;
    mixer.publish();
}

}  // namespace qv

#include "audio/SoundBuffer.h"

#include "audio/modSynth_DX7.h"

namespace qv {

SoundBuffer::SoundBuffer(modSynth_DX7& owner, int channel) : owner_(owner), channel_(channel) {
    data_.fill(kRestLevel);
}

bool SoundBuffer::Play() {
    if (channel_ < 0) return false;
    playing_ = true;
    owner_.publish();
    return true;
}

bool SoundBuffer::SetFrequency(std::int32_t hz) {
    if (owner_.observer) owner_.observer->frequency_set(channel_, hz);
    if (channel_ < 0 || hz < 100 || hz > 100000) return false;
    frequency_ = hz;
    owner_.publish();
    return true;
}

bool SoundBuffer::SetPan(std::int32_t pan) {
    if (owner_.observer) owner_.observer->pan_set(channel_, pan);
    if (channel_ < 0 || pan < -10000 || pan > 10000) return false;
    pan_ = pan;
    owner_.publish();
    return true;
}

bool SoundBuffer::SetVolume(std::int32_t volume) {
    if (owner_.observer) owner_.observer->volume_set(volume);
    if (channel_ >= 0 || volume < kSilence || volume > 0) return false;
    volume_ = volume;
    volume_given_ = true;
    owner_.publish();
    return true;
}

}  // namespace qv

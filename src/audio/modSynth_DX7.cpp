#include "audio/modSynth_DX7.h"

namespace qv {

bool SoundBuffer::Play() { return true; }
bool SoundBuffer::SetFrequency(std::int32_t hz) {
    if (owner_.observer) owner_.observer->frequency_set(channel_, hz);
    return true;
}
bool SoundBuffer::SetPan(std::int32_t pan) {
    if (owner_.observer) owner_.observer->pan_set(channel_, pan);
    return true;
}
bool SoundBuffer::SetVolume(std::int32_t volume) {
    if (owner_.observer) owner_.observer->volume_set(volume);
    return true;
}

bool modSynth_DX7::InitSynth(WindowHandle) {
    open_ = true;
    return true;
}

bool modSynth_DX7::WriteChannel(int channel, const SampleArray& samples) {
    if (channel != 0 && channel != 1) return false;
    if (observer) observer->channel_written(channel, samples);
    return true;
}

void modSynth_DX7::Release() { open_ = false; }

}  // namespace qv

#include "audio/modSynth_DX7.h"

namespace qv {

bool SoundBuffer::Play() { return true; }
bool SoundBuffer::SetFrequency(std::int32_t) { return true; }
bool SoundBuffer::SetPan(std::int32_t) { return true; }
bool SoundBuffer::SetVolume(std::int32_t) { return true; }

bool modSynth_DX7::InitSynth(WindowHandle) {
    open_ = true;
    return true;
}

bool modSynth_DX7::WriteChannel(int channel, const SampleArray&) { return channel == 0 || channel == 1; }

void modSynth_DX7::Release() { open_ = false; }

}  // namespace qv

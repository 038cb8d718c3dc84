#include "audio/PortAudioStream.h"

#include <portaudio.h>

#include "audio/PortAudioSession.h"

namespace qv {

namespace {

int play(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
         PaStreamCallbackFlags, void* feed) {
    static_cast<CardFeed*>(feed)->render(static_cast<float*>(output), frames);
    return paContinue;
}

PaStreamParameters parameters(PaDeviceIndex device, double latency) {
    PaStreamParameters output{};
    output.device = device;
    output.channelCount = 2;
    output.sampleFormat = paFloat32;
    output.suggestedLatency = latency;
    return output;
}

}  // namespace

std::optional<int> PortAudioStream::rate_for(int wanted, std::string& error) {
    if (!portaudio::start_session(error)) return std::nullopt;
    std::optional<int> rate;
    if (const PaDeviceIndex device = portaudio::find_output(device_, error); device != paNoDevice) {
        const PaStreamParameters output = parameters(device, latency_);
        rate = Pa_IsFormatSupported(nullptr, &output, wanted) == paFormatIsSupported
                   ? wanted
                   : static_cast<int>(Pa_GetDeviceInfo(device)->defaultSampleRate);
    }
    Pa_Terminate();
    return rate;
}

bool PortAudioStream::start(CardFeed& feed, int rate, std::string& error) {
    close(false);
    if (!portaudio::start_session(error)) return false;
    session_ = true;
    const PaDeviceIndex device = portaudio::find_output(device_, error);
    if (device == paNoDevice) {
        close(false);
        return false;
    }
    const PaStreamParameters output = parameters(device, latency_);
    // Two blocks in the device's buffer: one is asked for while the other plays. The run
    // already holds every sample within full scale.
    const auto block = static_cast<unsigned long>(latency_ * rate / 2);
    PaStream* stream = nullptr;
    PaError result = Pa_OpenStream(&stream, nullptr, &output, rate, block, paClipOff | paDitherOff,
                                   play, &feed);
    if (result == paNoError) {
        stream_ = stream;
        feed.open_fade();
        result = Pa_StartStream(stream);
    }
    if (result != paNoError) {
        error = portaudio::error_text(result);
        close(false);
        return false;
    }
    return true;
}

bool PortAudioStream::active() const {
    return stream_ && Pa_IsStreamActive(static_cast<PaStream*>(stream_)) == 1;
}

double PortAudioStream::output_latency() const {
    const PaStreamInfo* info = stream_ ? Pa_GetStreamInfo(static_cast<PaStream*>(stream_)) : nullptr;
    return info ? info->outputLatency : 0.0;
}

void PortAudioStream::close(bool drain) {
    if (auto* stream = static_cast<PaStream*>(stream_)) {
        if (drain) {
            Pa_StopStream(stream);
        } else {
            Pa_AbortStream(stream);
        }
        Pa_CloseStream(stream);
        stream_ = nullptr;
    }
    if (session_) {
        Pa_Terminate();
        session_ = false;
    }
}

}  // namespace qv

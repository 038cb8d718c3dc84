#include "audio/PortAudioStream.h"

#include <portaudio.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "audio/PortAudioSession.h"

namespace qv {

namespace {

// Seconds of silence after the last frame before the stream goes, for a device whose clock
// runs a little behind the stream's.
constexpr double kAfterLast = 0.05;

int play(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo* time,
         PaStreamCallbackFlags, void* stream) {
    static_cast<PortAudioStream*>(stream)->fill(static_cast<float*>(output), frames,
                                                time->outputBufferDacTime);
    return paContinue;
}

}  // namespace

void PortAudioStream::fill(float* out, unsigned long frames, double heard_at) noexcept {
    const std::uint64_t before = feed_->taken();
    feed_->render(out, frames);
    if (const std::uint64_t taken = feed_->taken() - before)
        last_heard_.store(heard_at + static_cast<double>(taken) / rate_, std::memory_order_relaxed);
}

std::optional<int> PortAudioStream::rate_for(int wanted, std::string& error) {
    if (!portaudio::start_session(error)) return std::nullopt;
    std::optional<int> rate;
    if (const PaDeviceIndex device = portaudio::find_output(device_, error); device != paNoDevice) {
        const PaStreamParameters output = portaudio::output_parameters(device, latency_);
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
    feed_ = &feed;
    rate_ = rate;
    last_heard_ = 0;
    stream_ = portaudio::open_output(device, rate, latency_, play, this, error);
    if (!stream_) {
        close(false);
        return false;
    }
    feed.open_fade();
    if (const PaError result = Pa_StartStream(static_cast<PaStream*>(stream_));
        result != paNoError) {
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
    const PaStreamInfo* info =
        stream_ ? Pa_GetStreamInfo(static_cast<PaStream*>(stream_)) : nullptr;
    return info ? info->outputLatency : 0.0;
}

void PortAudioStream::close(bool drain) {
    if (auto* stream = static_cast<PaStream*>(stream_)) {
        // A stopped stream may drop what the device still holds (ALSA's pulse device does),
        // so it plays on until the last frame taken has been heard.
        const double limit = Pa_GetStreamTime(stream) + 2 * latency_ + 1;
        while (drain && Pa_IsStreamActive(stream) == 1 &&
               Pa_GetStreamTime(stream) < std::min(limit, last_heard_.load() + kAfterLast)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        Pa_AbortStream(stream);
        Pa_CloseStream(stream);
        stream_ = nullptr;
    }
    if (session_) {
        Pa_Terminate();
        session_ = false;
    }
}

}  // namespace qv

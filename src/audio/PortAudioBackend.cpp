#include "audio/PortAudioBackend.h"

#include <portaudio.h>

#include <chrono>
#include <thread>

#include "audio/PortAudioSession.h"

namespace qv {
namespace {

// How long the fade at the end of a stream may take to be mixed before the stream is cut
// off: a device that has gone away asks for nothing more.
constexpr auto kFadeLimit = std::chrono::milliseconds(100);

class PortAudioDevice final : public SoundDevice {
public:
    // Takes over the PortAudio session that found the device.
    PortAudioDevice(PaDeviceIndex index, const PaDeviceInfo& info, double latency)
        : SoundDevice(info.defaultSampleRate),
          index_(index),
          latency_(latency > 0 ? latency : info.defaultLowOutputLatency) {}
    ~PortAudioDevice() override { close(); }

    bool start(std::string& error) override {
        stream_ = portaudio::open_output(index_, output_rate(), latency_, &PortAudioDevice::mix,
                                         this, error);
        if (!stream_) return false;
        if (const PaError result = Pa_StartStream(stream_); result != paNoError) {
            Pa_CloseStream(stream_);
            stream_ = nullptr;
            error = portaudio::error_text(result);
            return false;
        }
        return true;
    }

    void close() override {
        if (stream_) {
            // The sound fades out; once the fade is mixed, the stream plays on with silence
            // behind it until what the device held has been heard, so that whether the
            // end drains or drops its last buffers, what goes is silence. A device that no
            // longer asks for sound is cut off.
            mixer().fade_to(0.0f, kFadeSeconds);
            const auto limit = std::chrono::steady_clock::now() + kFadeLimit;
            while (!mixer().faded_out() && std::chrono::steady_clock::now() < limit) {
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
            }
            if (mixer().faded_out() && sounded()) {
                const PaStreamInfo* info = Pa_GetStreamInfo(stream_);
                std::this_thread::sleep_for(std::chrono::duration<double>(
                    (info ? info->outputLatency : 0.0) + kFadeSeconds));
                Pa_StopStream(stream_);
            } else {
                Pa_AbortStream(stream_);  // gone away, or never heard
            }
            Pa_CloseStream(stream_);
            stream_ = nullptr;
        }
        if (session_) {
            Pa_Terminate();
            session_ = false;
        }
    }

protected:
    bool running() const override { return stream_ && Pa_IsStreamActive(stream_) == 1; }

private:
    static int mix(const void*, void* output, unsigned long frames, const PaStreamCallbackTimeInfo*,
                   PaStreamCallbackFlags, void* device) {
        static_cast<PortAudioDevice*>(device)->mixer().render_block(static_cast<float*>(output),
                                                                    frames);
        return paContinue;
    }

    PaDeviceIndex index_;
    PaTime latency_;
    PaStream* stream_ = nullptr;
    bool session_ = true;
};

}  // namespace

std::unique_ptr<SoundDevice> PortAudioBackend::open_default(std::string& error) {
    if (!portaudio::start_session(error)) return nullptr;
    const PaDeviceIndex index = portaudio::find_output(options_.device, error);
    if (index == paNoDevice) {
        Pa_Terminate();
        return nullptr;
    }
    return std::make_unique<PortAudioDevice>(index, *Pa_GetDeviceInfo(index), options_.latency);
}

std::vector<PortAudioBackend::Output> PortAudioBackend::outputs(std::string& error) {
    std::vector<Output> found;
    if (!portaudio::start_session(error)) return found;
    const PaDeviceIndex preferred = Pa_GetDefaultOutputDevice();
    for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (portaudio::is_output(info)) found.push_back({i, info->name, i == preferred});
    }
    Pa_Terminate();
    return found;
}

}  // namespace qv

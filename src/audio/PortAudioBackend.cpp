#include "audio/PortAudioBackend.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <portaudio.h>

#include <chrono>
#include <mutex>
#include <thread>

namespace qv {
namespace {

void ignore_alsa(const char*, int, const char*, int, const char*, ...) {}
void ignore_jack(const char*) {}

// ALSA and JACK print about a hundred lines while PortAudio probes them for devices.
void silence_probing() {
    static std::once_flag once;
    std::call_once(once, [] {
        snd_lib_error_set_handler(ignore_alsa);
        jack_set_error_function(ignore_jack);
        jack_set_info_function(ignore_jack);
    });
}

// PortAudio 19.6 aborts on an assertion in its ALSA device scan when ALSA offers no PCM at
// all: no sound card and no "pcm" definitions, as with a missing or empty ALSA
// configuration. There is then no device to open anyway, so the scan is not started.
bool alsa_offers_no_pcm() {
    int card = -1;
    if (snd_card_next(&card) == 0 && card >= 0) return false;
    // A configuration that cannot be read is PortAudio's to report.
    if (snd_config_update() < 0 || !snd_config) return false;
    snd_config_t* pcm = nullptr;
    if (snd_config_search(snd_config, "pcm", &pcm) < 0) return true;
    return snd_config_iterator_first(pcm) == snd_config_iterator_end(pcm);
}

std::string error_text(PaError error) {
    if (error == paUnanticipatedHostError) {
        const PaHostErrorInfo* host = Pa_GetLastHostErrorInfo();
        if (host && host->errorText && *host->errorText) return host->errorText;
    }
    return Pa_GetErrorText(error);
}

// How long the fade at the end of a stream may take to be mixed before the stream is cut
// off: a device that has gone away asks for nothing more.
constexpr auto kFadeLimit = std::chrono::milliseconds(100);

class PortAudioDevice final : public SoundDevice {
public:
    // Takes over the PortAudio session that found the device.
    PortAudioDevice(PaDeviceIndex index, const PaDeviceInfo& info, double latency)
        : SoundDevice(info.defaultSampleRate, 0.0f),
          index_(index),
          latency_(latency > 0 ? latency : info.defaultLowOutputLatency) {}
    ~PortAudioDevice() override { close(); }

    bool start(std::string& error) override {
        PaStreamParameters output{};
        output.device = index_;
        output.channelCount = 2;
        output.sampleFormat = paFloat32;
        output.suggestedLatency = latency_;
        // Two blocks in the device's buffer: the mixer is asked for one while the other
        // plays, so the latency asked for sets how often the sound card wakes the program.
        const auto block = static_cast<unsigned long>(latency_ * output_rate() / 2);
        // The mixer already holds every sample within full scale.
        PaError result = Pa_OpenStream(&stream_, nullptr, &output, output_rate(), block,
                                       paClipOff | paDitherOff, &PortAudioDevice::mix, this);
        if (result == paNoError) {
            result = Pa_StartStream(stream_);
            if (result != paNoError) Pa_CloseStream(stream_);
        }
        if (result != paNoError) {
            stream_ = nullptr;
            error = error_text(result);
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

// Starts a PortAudio session, or says why there is none.
bool start_session(std::string& error) {
    silence_probing();
    if (alsa_offers_no_pcm()) {
        error = "no sound card, and the ALSA configuration defines no device";
        return false;
    }
    const PaError result = Pa_Initialize();
    if (result != paNoError) {
        error = error_text(result);
        return false;
    }
    return true;
}

bool is_output(const PaDeviceInfo* info) {
    return info && info->maxOutputChannels >= 2;
}

}  // namespace

std::unique_ptr<SoundDevice> PortAudioBackend::open_default(std::string& error) {
    if (!start_session(error)) return nullptr;
    PaDeviceIndex index = Pa_GetDefaultOutputDevice();
    if (!options_.device.empty()) {
        index = paNoDevice;
        for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i) {
            const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
            if (is_output(info) && options_.device == info->name) index = i;
        }
    }
    const PaDeviceInfo* info = index == paNoDevice ? nullptr : Pa_GetDeviceInfo(index);
    if (!info) {
        Pa_Terminate();
        error = options_.device.empty() ? "no default output device"
                                        : "no output device named \"" + options_.device + "\"";
        return nullptr;
    }
    return std::make_unique<PortAudioDevice>(index, *info, options_.latency);
}

std::vector<PortAudioBackend::Output> PortAudioBackend::outputs(std::string& error) {
    std::vector<Output> found;
    if (!start_session(error)) return found;
    const PaDeviceIndex preferred = Pa_GetDefaultOutputDevice();
    for (PaDeviceIndex i = 0; i < Pa_GetDeviceCount(); ++i) {
        const PaDeviceInfo* info = Pa_GetDeviceInfo(i);
        if (is_output(info)) found.push_back({i, info->name, i == preferred});
    }
    Pa_Terminate();
    return found;
}

}  // namespace qv

#include "audio/PortAudioSession.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>

#include <mutex>

namespace qv::portaudio {

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

}  // namespace

std::string error_text(PaError error) {
    if (error == paUnanticipatedHostError) {
        const PaHostErrorInfo* host = Pa_GetLastHostErrorInfo();
        if (host && host->errorText && *host->errorText) return host->errorText;
    }
    return Pa_GetErrorText(error);
}

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

PaDeviceIndex find_output(const std::string& name, std::string& error) {
    PaDeviceIndex index = name.empty() ? Pa_GetDefaultOutputDevice() : paNoDevice;
    for (PaDeviceIndex i = 0; !name.empty() && i < Pa_GetDeviceCount(); ++i) {
        if (is_output(Pa_GetDeviceInfo(i)) && name == Pa_GetDeviceInfo(i)->name) index = i;
    }
    if (index == paNoDevice || !Pa_GetDeviceInfo(index)) {
        error =
            name.empty() ? "no default output device" : "no output device named \"" + name + "\"";
        return paNoDevice;
    }
    return index;
}

PaStreamParameters output_parameters(PaDeviceIndex device, double latency) {
    PaStreamParameters output{};
    output.device = device;
    output.channelCount = 2;
    output.sampleFormat = paFloat32;
    output.suggestedLatency = latency;
    return output;
}

PaStream* open_output(PaDeviceIndex device, double rate, double latency, PaStreamCallback* callback,
                      void* user, std::string& error) {
    const PaStreamParameters output = output_parameters(device, latency);
    const auto block = static_cast<unsigned long>(latency * rate / 2);
    PaStream* stream = nullptr;
    const PaError result = Pa_OpenStream(&stream, nullptr, &output, rate, block,
                                         paClipOff | paDitherOff, callback, user);
    if (result == paNoError) return stream;
    error = error_text(result);
    return nullptr;
}

}  // namespace qv::portaudio

#pragma once

#include <portaudio.h>

#include <string>

// What every use of PortAudio here shares: a quiet start of a session, the reasons in
// words, and an output device found by its name.
namespace qv::portaudio {

// Starts a PortAudio session, or says why there is none.
bool start_session(std::string& error);
std::string error_text(PaError error);
bool is_output(const PaDeviceInfo* info);
// The output device of that name, or the default output for an empty name; paNoDevice and
// why when there is none.
PaDeviceIndex find_output(const std::string& name, std::string& error);

// Stereo float to `device`, holding about `latency` seconds in two blocks: one is asked for
// while the other plays, so the latency sets how often the card wakes the program. Every
// sample comes already held within full scale. Opened, not started; null and why on failure.
PaStream* open_output(PaDeviceIndex device, double rate, double latency, PaStreamCallback* callback,
                      void* user, std::string& error);
// The stream's output parameters, for asking the device what it takes.
PaStreamParameters output_parameters(PaDeviceIndex device, double latency);

}  // namespace qv::portaudio

#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "render/AudioFileWriter.h"

namespace qv {

struct RenderOptions {
    std::filesystem::path input;   // a setup (.qrv) or a session (.ses)
    std::filesystem::path output;  // "-" is standard output
    // The output's format; without it the output name's extension says.
    std::optional<AudioFileWriter::Format> format;
    int rate = 48000;
    AudioFileWriter::Bits bits = AudioFileWriter::Bits::Int16;
    double quality = 0.6;            // lossy formats: 0 to 1, 1 the best
    std::optional<double> duration;  // seconds; overrides the input's own length
    double tail = 0;                 // seconds of sound after the end
    double fade_out = 0.02;          // seconds
    std::filesystem::path trace;     // empty: no trace
    bool progress = false;
    // Asked between blocks: a signal number stops the render and leaves no file.
    std::function<int()> interrupted;
};

struct RenderResult {
    // 0 done, 1 a file could not be read or written, 2 wrong usage, 128 + n stopped by
    // signal n.
    int status = 0;
    std::string error;
    long long frames = 0;
    int setups_played = 0;
    double wall_seconds = 0;
};

// Plays a setup or a session on the program's own form, on a virtual clock, and streams
// the mixed sound into a file. Everything the window would do happens here the same way:
// the setup is loaded as a double click in the setup list does and Play is pressed; a
// session is loaded from the session file list and "Run Sess" is pressed.
RenderResult render(const RenderOptions& options);

}  // namespace qv

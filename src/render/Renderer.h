#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "app/HeadlessRun.h"
#include "render/AudioFileWriter.h"

namespace qv {

// What to play comes from the run's options (input, rate, length, loop, fades, tail).
struct RenderOptions : RunOptions {
    std::filesystem::path output;  // "-" is standard output
    // The output's format; without it the output name's extension says.
    std::optional<AudioFileWriter::Format> format;
    AudioFileWriter::Bits bits = AudioFileWriter::Bits::Int16;
    double quality = 0.6;         // lossy formats: 0 to 1, 1 the best
    std::filesystem::path trace;  // empty: no trace
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
    long long held = 0;  // samples the mix held at full scale
    int setups_played = 0;
    double wall_seconds = 0;
};

// Streams the headless run of a setup or a session into a file, with its trace beside it.
RenderResult render(const RenderOptions& options);

}  // namespace qv

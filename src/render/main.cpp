#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <string>

#include "render/Renderer.h"

int main(int argc, char** argv) {
    qv::RenderOptions options;
    CLI::App app{
        "Renders a Quorvane setup (.qrv) or session (.ses) to a sound file, exactly as the window\n"
        "would play it: a setup from 0 s until just after its last keyframe, a session from its\n"
        "first setup to the end of its last. Setup names in a session are looked up in the\n"
        "session file's own folder.\n\n"
        "Example:\n  quorvane-render ~/Quorvane/Example.ses -o example.flac\n",
        "quorvane-render"};
    std::string bits = "16";
    double duration = 0;
    app.add_option("INPUT", options.input, "Setup (.qrv) or session (.ses) to render")->required();
    app.add_option("-o,--output", options.output, "Sound file to write: .wav, .flac or .ogg")->required();
    app.add_option("--rate", options.rate, "Sample rate in Hz")->capture_default_str()->check(CLI::Range(8000, 384000));
    app.add_option("--bits", bits, "Sample format: 16, 24 or 32f (32-bit float, WAV only)")
        ->capture_default_str()
        ->check(CLI::IsMember({"16", "24", "32f"}));
    auto* duration_opt = app.add_option("--duration", duration,
                                        "Render this many seconds, whatever the input's own length")
                             ->check(CLI::PositiveNumber);
    app.add_option("--tail", options.tail, "Add this many seconds of the sound as it stands at the end")
        ->check(CLI::NonNegativeNumber);
    app.add_option("--fade-out", options.fade_out, "Fade the last this many seconds to silence")
        ->capture_default_str()
        ->check(CLI::NonNegativeNumber);
    app.add_option("--trace", options.trace,
                   "Write one line per synthesis tick with everything sent to the sound output");
    bool quiet = false;
    app.add_flag("-q,--quiet", quiet, "No progress line and no summary");

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        int rc = app.exit(e);
        return rc == 0 ? 0 : 2;
    }
    if (*duration_opt) options.duration = duration;
    options.bits = bits == "16"   ? qv::AudioFileWriter::Bits::Int16
                   : bits == "24" ? qv::AudioFileWriter::Bits::Int24
                                  : qv::AudioFileWriter::Bits::Float32;
    options.progress = !quiet && isatty(STDERR_FILENO);

    qv::RenderResult result = qv::render(options);
    if (result.status != 0) {
        std::fprintf(stderr, "quorvane-render: %s\n", result.error.c_str());
        return result.status;
    }
    if (!quiet) {
        double seconds = static_cast<double>(result.frames) / options.rate;
        std::fprintf(stderr, "%s: %.1f s of sound, %d setup%s, %.2f s, %.0fx real time\n",
                     options.output.string().c_str(), seconds, result.setups_played,
                     result.setups_played == 1 ? "" : "s", result.wall_seconds,
                     result.wall_seconds > 0 ? seconds / result.wall_seconds : 0.0);
    }
    return 0;
}

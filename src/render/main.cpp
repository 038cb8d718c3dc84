#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cmath>
#include <cstdio>
#include <string>

#include "cli/Arguments.h"
#include "cli/Interrupt.h"
#include "cli/RunArguments.h"
#include "render/Renderer.h"

int main(int argc, char** argv) {
    qv::RenderOptions options;
    CLI::App app{
        "Renders a Quorvane setup (.qrv) or session (.ses) to a sound file, exactly as the window\n"
        "would play it: a setup from 0 s until just after its last keyframe, a session from its\n"
        "first setup to the end of its last. Setup names in a session are looked up in the\n"
        "session file's own folder.\n\n"
        "Example:\n  quorvane-render ~/Quorvane/Tour.ses -o tour.flac\n",
        "quorvane-render"};
    std::string bits = "16";
    std::string format;
    using qv::cli::NumberOption;
    NumberOption rate{"--rate", "48000", 8000, 384000, NumberOption::Whole, "Hz"};
    NumberOption quality{"--quality", "0.6", 0, 1, NumberOption::Decimal};
    qv::cli::RunArguments run;
    app.add_option("INPUT", options.input, "Setup (.qrv) or session (.ses) to render")->required();
    app.add_option("-o,--output", options.output,
                   "Sound file to write: .wav, .flac, .ogg, .mp3 or .opus; - for standard output")
        ->required();
    app.add_option("--format", format,
                   "wav, flac, ogg, mp3 or opus, whatever the output's name says");
    app.add_option("--rate", rate.text, "Sample rate in Hz")->capture_default_str();
    app.add_option("--bits", bits,
                   "Sample format of .wav and .flac: 16, 24 or 32f (32-bit float, WAV only)")
        ->capture_default_str()
        ->check(CLI::IsMember({"16", "24", "32f"}));
    app.add_option("--quality", quality.text,
                   "Quality of .ogg, .mp3 and .opus, from 0 to 1 (the best)")
        ->capture_default_str();
    run.add_to(app);
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
    auto usage = [](const std::string& message) {
        std::fprintf(stderr, "quorvane-render: %s\n", message.c_str());
        return 2;
    };
    for (NumberOption* option : {&rate, &quality}) {
        if (!option->value()) return usage(option->refusal());
    }
    if (auto refusal = run.read(options)) return usage(*refusal);
    options.rate = static_cast<int>(*rate.value());
    options.quality = *quality.value();
    if (!format.empty()) {
        options.format = qv::AudioFileWriter::format_named(format);
        if (!options.format) return usage("--format must be wav, flac, ogg, mp3 or opus");
    }
    options.bits = bits == "16"   ? qv::AudioFileWriter::Bits::Int16
                   : bits == "24" ? qv::AudioFileWriter::Bits::Int24
                                  : qv::AudioFileWriter::Bits::Float32;
    options.progress = !quiet && isatty(STDERR_FILENO);
    qv::cli::interrupt::catch_signals();
    options.interrupted = [] { return qv::cli::interrupt::signal_number(); };

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

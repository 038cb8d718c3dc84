#include <unistd.h>

#include <CLI/CLI.hpp>
#include <csignal>
#include <cstdio>
#include <optional>
#include <string>

#include "cli/Arguments.h"
#include "cli/Interrupt.h"
#include "cli/RunArguments.h"
#include "render/Renderer.h"

namespace {

using qv::cli::NumberOption;

// The renderer's own options, read as text and checked once the command line is read.
struct RenderArguments {
    std::string bits = "16";
    std::string format;
    NumberOption rate{"--rate", "48000", 8000, 384000, NumberOption::Whole, "Hz"};
    NumberOption quality{"--quality", "0.6", 0, 1, NumberOption::Decimal};
    qv::cli::RunArguments run;
    bool quiet = false;

    void add_to(CLI::App& app, qv::RenderOptions& options) {
        app.add_option("INPUT", options.input, "Setup (.qrv) or session (.ses) to render")
            ->required();
        app.add_option("-o,--output", options.output,
                       "Sound file to write: .wav, .flac, .ogg, .mp3 or .opus; - for standard "
                       "output")
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
                       "Write one line per synthesis tick with everything sent to the sound "
                       "output");
        app.add_flag("-q,--quiet", quiet, "No progress line and no summary");
    }

    std::optional<std::string> read(qv::RenderOptions& options) const {
        for (const NumberOption* option : {&rate, &quality}) {
            if (!option->value()) return option->refusal();
        }
        if (auto refusal = run.read(options)) return refusal;
        options.rate = static_cast<int>(*rate.value());
        options.quality = *quality.value();
        if (!format.empty()) {
            options.format = qv::AudioFileWriter::format_named(format);
            if (!options.format) return "--format must be wav, flac, ogg, mp3 or opus";
        }
        options.bits = bits == "16"   ? qv::AudioFileWriter::Bits::Int16
                       : bits == "24" ? qv::AudioFileWriter::Bits::Int24
                                      : qv::AudioFileWriter::Bits::Float32;
        options.progress = !quiet && isatty(STDERR_FILENO);
        return std::nullopt;
    }
};

}  // namespace

int main(int argc, char** argv) {
    qv::RenderOptions options;
    CLI::App app{
        "Renders a Quorvane setup (.qrv) or session (.ses) to a sound file, exactly as the window\n"
        "would play it: a setup from 0 s until just after its last keyframe, a session from its\n"
        "first setup to the end of its last. Setup names in a session are looked up in the\n"
        "session file's own folder.\n\n"
        "Example:\n  quorvane-render ~/Quorvane/Tour.ses -o tour.flac\n",
        "quorvane-render"};
    RenderArguments arguments;
    qv::cli::name_messages(app);
    arguments.add_to(app, options);
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    if (auto refusal = arguments.read(options)) {
        std::fprintf(stderr, "quorvane-render: %s\n", qv::cli::printable(*refusal).c_str());
        return 2;
    }
    qv::cli::interrupt::catch_signals();
    // A reader that leaves is a failed write, told as one, not a silent end.
    std::signal(SIGPIPE, SIG_IGN);
    options.interrupted = [] { return qv::cli::interrupt::signal_number(); };

    qv::RenderResult result = qv::render(options);
    if (result.status != 0) {
        std::fprintf(stderr, "quorvane-render: %s\n", qv::cli::printable(result.error).c_str());
        return result.status;
    }
    if (!arguments.quiet) {
        double seconds = static_cast<double>(result.frames) / options.rate;
        std::fprintf(stderr, "%s: %.1f s of sound, %d setup%s, %.2f s, %.0fx real time\n",
                     qv::cli::printable(options.output.string()).c_str(), seconds,
                     result.setups_played, result.setups_played == 1 ? "" : "s",
                     result.wall_seconds,
                     result.wall_seconds > 0 ? seconds / result.wall_seconds : 0.0);
        if (result.held > 0) {
            std::fprintf(stderr, "%lld samples were held at full scale%s\n", result.held,
                         options.noise != qv::NoiseColour::Off ? ": lower --noise-level" : "");
        }
    }
    return 0;
}

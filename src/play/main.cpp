#include <unistd.h>

#include <CLI/CLI.hpp>
#include <cstdio>
#include <optional>
#include <string>

#include "audio/PortAudioBackend.h"
#include "cli/Arguments.h"
#include "cli/Interrupt.h"
#include "cli/RunArguments.h"
#include "play/Player.h"

namespace {

int list_devices() {
    std::string error;
    auto outputs = qv::PortAudioBackend::outputs(error);
    if (!error.empty() || outputs.empty()) {
        std::fprintf(stderr, "quorvane-play: no sound devices%s%s\n", error.empty() ? "" : ": ",
                     error.c_str());
        return 1;
    }
    for (const auto& output : outputs) {
        std::printf("%d: %s%s\n", output.number, output.name.c_str(),
                    output.is_default ? " (default)" : "");
    }
    return 0;
}

// A device is kept by its name: numbers change when a sound server starts again.
std::optional<std::string> device_named(const std::string& given) {
    if (given.empty() || given.find_first_not_of("0123456789") != std::string::npos) return given;
    std::string error;
    for (const auto& output : qv::PortAudioBackend::outputs(error)) {
        if (std::to_string(output.number) == given) return output.name;
    }
    return std::nullopt;
}

}  // namespace

int main(int argc, char** argv) {
    using qv::cli::NumberOption;
    qv::PlayOptions options;
    CLI::App app{
        "Plays a Quorvane setup (.qrv) or session (.ses) on the sound card, without a window, as\n"
        "the window would play it: a setup from 0 s until just after its last keyframe, a session\n"
        "from its first setup to the end of its last, the same samples quorvane-render writes.\n"
        "Setup names in a session are looked up in the session file's own folder. Ctrl-C fades\n"
        "out and ends.\n\n"
        "Example:\n  quorvane-play ~/Quorvane/Tour.ses --stop-after 45:00 --fade 5:00\n",
        "quorvane-play"};
    qv::cli::name_messages(app);
    qv::cli::RunArguments run;
    NumberOption volume{"--volume", "0", 0, 60, NumberOption::Decimal, "decibels"};
    NumberOption latency{"--latency", "0.5", 0.001, 2, NumberOption::Decimal, "seconds"};
    std::string device;
    bool list = false;
    app.add_option("INPUT", options.input, "Setup (.qrv) or session (.ses) to play");
    run.add_to(app);
    app.add_option("--volume", volume.text, "Attenuate the output by this many decibels (0 to 60)")
        ->capture_default_str();
    app.add_option("--device", device, "Output device by name or number (see --list-devices)");
    app.add_flag("--list-devices", list, "List the output devices and end");
    app.add_option("--latency", latency.text,
                   "Seconds of sound the device holds (less wakes the machine more)")
        ->capture_default_str();
    app.add_flag("-q,--quiet", options.quiet, "No status line and no summary");
    app.add_flag("-v,--verbose", options.verbose, "Say when each setup starts, and more");
    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        return app.exit(e) == 0 ? 0 : 2;
    }
    if (list) return list_devices();
    std::optional<std::string> refusal;
    if (options.input.empty()) refusal = "INPUT is required: a setup (.qrv) or a session (.ses)";
    for (NumberOption* option : {&volume, &latency}) {
        if (!refusal && !option->value()) refusal = option->refusal();
    }
    if (!refusal) refusal = run.read(options);
    const std::optional<std::string> named = device_named(device);
    if (!refusal && !named)
        refusal = "there is no output device number " + device + " (see --list-devices)";
    if (refusal) {
        std::fprintf(stderr, "quorvane-play: %s\n", qv::cli::printable(*refusal).c_str());
        return 2;
    }
    options.device = *named;
    options.volume_db = *volume.value();
    options.latency = *latency.value();
    options.status = !options.quiet && isatty(STDERR_FILENO);
    qv::cli::interrupt::catch_signals();
    return qv::play(options);
}

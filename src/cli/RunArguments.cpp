#include "cli/RunArguments.h"

namespace qv::cli {

void name_messages(CLI::App& app) {
    app.set_version_flag("--version", app.get_name() + " " QUORVANE_VERSION);
    app.failure_message([](const CLI::App* program, const CLI::Error& e) {
        return program->get_name() + ": " + printable(e.what()) + "\n";
    });
}

void RunArguments::add_to(CLI::App& app) {
    app.add_option("--duration", duration.text,
                   "Sound this long (seconds or [h:]mm:ss), whatever the input says");
    app.add_flag("--loop", loop, "Play the input again and again, as Stop and then Play would");
    app.add_option("--stop-after", stop_after.text,
                   "Sleep timer: fade out and end after this much sound");
    app.add_option("--fade", fade.text, "How long the sleep timer fades out")
        ->capture_default_str();
    app.add_option("--fade-out", fade_out.text, "Fade every end over this long")
        ->capture_default_str();
    app.add_option("--tail", tail.text, "Add this much of the sound as it stands at the end")
        ->capture_default_str();
    app.add_option("--noise", noise, "Noise beneath the tones: white, pink, brown or off")
        ->capture_default_str();
    app.add_option("--noise-level", noise_level.text,
                   "The noise's level in dBFS per ear at full volume, -80 to -10")
        ->capture_default_str();
}

std::optional<std::string> RunArguments::read(RunOptions& options) const {
    for (const NumberOption* option : {&duration, &stop_after, &fade, &fade_out, &tail}) {
        if (!option->text.empty() && !option->value()) return option->refusal();
    }
    const std::optional<NoiseColour> colour = noise_colour_named(noise);
    if (!colour) return std::string("--noise must be white, pink, brown or off");
    // A level below full scale is written with its minus sign.
    const std::string_view level = noise_level.text;
    const std::optional<double> db =
        level.starts_with('-') ? parse_decimal(level.substr(1)) : std::optional<double>();
    if (!db || -*db < noise_level.min || -*db > noise_level.max)
        return "--noise-level must be a number of dB between -80 and -10";
    options.noise = *colour;
    options.noise_level = -*db;
    if (!duration.text.empty()) options.duration = duration.value();
    if (!stop_after.text.empty()) options.stop_after = stop_after.value();
    options.fade = *fade.value();
    options.fade_out = *fade_out.value();
    options.tail = *tail.value();
    options.loop = loop;
    return std::nullopt;
}

}  // namespace qv::cli

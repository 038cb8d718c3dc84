#pragma once

#include <CLI/CLI.hpp>
#include <optional>
#include <string>

#include "app/HeadlessRun.h"
#include "cli/Arguments.h"

namespace qv::cli {

// What both command-line programs play, with the same names, defaults and ranges: how
// long, how often, the sleep timer and the fades.
struct RunArguments {
    NumberOption duration{"--duration", "", 0.001, 86400, NumberOption::Duration};
    NumberOption stop_after{"--stop-after", "", 0.001, 86400, NumberOption::Duration};
    NumberOption fade{"--fade", "60", 0, 86400, NumberOption::Duration};
    NumberOption fade_out{"--fade-out", "0.5", 0, 86400, NumberOption::Duration};
    NumberOption tail{"--tail", "0", 0, 86400, NumberOption::Duration};
    NumberOption noise_level{"--noise-level", "-30", -80, -10, NumberOption::Decimal, "dB"};
    std::string noise = "off";
    bool loop = false;

    void add_to(CLI::App& app);
    // Fills `options`, or gives the refusal of the first option out of its range.
    std::optional<std::string> read(RunOptions& options) const;
};

// --version, and the program's name before every message of the command line's own.
void name_messages(CLI::App& app);

}  // namespace qv::cli

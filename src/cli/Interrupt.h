#pragma once

#include <filesystem>

// Ctrl-C, SIGTERM and SIGHUP end a long run of a command-line program in good order: the
// first one is only noted, and the program's own loop, which asks often, stops, tidies up
// and exits. A second one ends the program at once, after removing the files it was
// told to remove, for when the program is stuck where it cannot ask (a write to a pipe
// nobody reads).
namespace qv::cli::interrupt {

void catch_signals();
// The signal that asked the program to stop, or 0.
int signal_number();
// "SIGINT", "SIGTERM" or "SIGHUP".
const char* signal_name(int signal);

// A file that a second signal removes before the program ends (at most four at once);
// forget() once it is complete or gone.
void remove_on_second_signal(const std::filesystem::path& path);
void forget(const std::filesystem::path& path);

}  // namespace qv::cli::interrupt

#include "cli/Interrupt.h"

#include <unistd.h>

#include <array>
#include <csignal>
#include <cstring>

namespace qv::cli::interrupt {

namespace {

constexpr std::size_t kMaxFiles = 4;
constexpr std::size_t kMaxPath = 4096;

volatile std::sig_atomic_t g_signal = 0;
// Written only while no signal can reach the handler (see below), read by it.
std::array<std::array<char, kMaxPath>, kMaxFiles> g_files{};

void on_signal(int signal) {
    if (g_signal == 0) {
        g_signal = signal;
        return;
    }
    for (const auto& file : g_files) {
        if (file[0] != '\0') ::unlink(file.data());
    }
    ::_exit(128 + signal);
}

constexpr int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Keeps the handler away while the list of files changes.
class Blocked {
public:
    Blocked() {
        sigset_t set;
        sigemptyset(&set);
        for (int s : kSignals) sigaddset(&set, s);
        sigprocmask(SIG_BLOCK, &set, &old_);
    }
    ~Blocked() { sigprocmask(SIG_SETMASK, &old_, nullptr); }

private:
    sigset_t old_;
};

}  // namespace

void catch_signals() {
    struct sigaction action {};
    action.sa_handler = on_signal;
    sigemptyset(&action.sa_mask);
    // No SA_RESTART: a wait in a system call ends, so the loop gets to ask at once.
    action.sa_flags = 0;
    for (int s : kSignals) sigaction(s, &action, nullptr);
}

int signal_number() {
    return g_signal;
}

const char* signal_name(int signal) {
    switch (signal) {
        case SIGINT:
            return "SIGINT";
        case SIGTERM:
            return "SIGTERM";
        case SIGHUP:
            return "SIGHUP";
        default:
            return "a signal";
    }
}

void remove_on_second_signal(const std::filesystem::path& path) {
    const std::string& text = path.native();
    if (text.empty() || text.size() >= kMaxPath) return;
    Blocked blocked;
    for (auto& file : g_files) {
        if (file[0] == '\0') {
            std::memcpy(file.data(), text.c_str(), text.size() + 1);
            return;
        }
    }
}

void forget(const std::filesystem::path& path) {
    Blocked blocked;
    for (auto& file : g_files) {
        if (path.native() == file.data()) file[0] = '\0';
    }
}

}  // namespace qv::cli::interrupt

#include "play/Player.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <deque>
#include <vector>

#include "audio/CardFeed.h"
#include "audio/PortAudioStream.h"
#include "cli/Arguments.h"
#include "cli/Interrupt.h"
#include "play/LoginInhibitor.h"
#include "synth/Synthesis.h"

namespace qv {

namespace {

// The rate every render has by default: the card is asked for it first.
constexpr int kRate = 48000;
constexpr double kInterruptFade = 0.5;
// A stream whose card takes nothing for this long while the program runs has lost its
// device (a sound server may hold two seconds of sound at first); it is tried again this
// often, and given up after the last.
constexpr double kSilentDevice = 4;
constexpr double kRetry = 2;
constexpr double kGiveUp = 600;
constexpr double kStatusEvery = 0.25;

// Whether the status line is on: a line said meanwhile first clears it.
bool g_status_line = false;

void say(const char* format, auto... args) {
    char line[1024];
    std::snprintf(line, sizeof line, format, args...);
    std::fprintf(stderr, "%squorvane-play: %s\n", g_status_line ? "\r\033[K" : "",
                 cli::printable(line).c_str());
}

double monotonic_seconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

void sleep_seconds(double seconds) {
    timespec t{static_cast<time_t>(seconds), static_cast<long>(std::fmod(seconds, 1.0) * 1e9)};
    nanosleep(&t, nullptr);  // a signal ends it early, as it should
}

// The playback rates the synthesis asks for, as the trace sees them.
struct Rates : ToneOutputObserver {
    std::int32_t hz[2] = {0, 0};
    void frequency_set(int channel, std::int32_t rate) override {
        if (channel == 0 || channel == 1) hz[channel] = rate;
    }
};

// What the status line shows from a frame of the stream on.
struct Shown {
    long long frame;
    std::string text;
};

class CardPlayer {
public:
    CardPlayer(const PlayOptions& options, int rate)
        : options_(options),
          run_(options),
          card_(options.device, options.latency),
          feed_(static_cast<std::size_t>(2 * options.latency * rate), rate,
                static_cast<float>(std::pow(10.0, -options.volume_db / 20.0))),
          block_(static_cast<long>(std::max(1.0, options.latency * rate / 4))),
          buffer_(2 * static_cast<std::size_t>(block_)) {
        run_.form().on_report = [](const std::string& message) { say("%s", message.c_str()); };
        run_.form().report_sound_failures = false;
        run_.tone().observer = &rates_;
        run_.on_setup_start = [this](const HeadlessRun::SetupStart& start) {
            starts_.push_back(start);
        };
        run_.after_tick = [this](long long frame) { note(frame); };
    }

    int play();

private:
    void note(long long frame);
    void feed_card();
    bool watch_device(double now, double step, int& status);
    void tell(bool all);
    void summary();
    long long heard() const;

    const PlayOptions& options_;
    HeadlessRun run_;
    PortAudioStream card_;
    CardFeed feed_;
    LoginInhibitor inhibitor_;
    Rates rates_;
    long block_;
    std::vector<float> buffer_;
    bool ended_ = false;
    int interrupted_by_ = 0;

    std::deque<HeadlessRun::SetupStart> starts_;
    std::deque<Shown> shown_;
    double next_status_ = 0;

    bool lost_ = false;
    double running_ = 0;      // seconds the program ran, stops excluded
    double progress_at_ = 0;  // running_ when the card last took frames
    std::uint64_t taken_ = 0;
    double lost_at_ = 0;
    double retry_at_ = 0;
    double started_at_ = 0;
};

long long CardPlayer::heard() const {
    const auto latency = static_cast<long long>(card_.output_latency() * run_.rate());
    return std::max(0LL, static_cast<long long>(feed_.taken()) - latency);
}

void CardPlayer::note(long long frame) {
    if (!options_.status) return;
    const int freq = run_.form().panel.sc(P::Freq).value();
    const double left = synth::fundamental_hz(rates_.hz[0], freq);
    const double right = synth::fundamental_hz(rates_.hz[1], freq);
    const std::string place = run_.session() ? run_.playing() : run_.form().Text1.text();
    char text[160];
    std::snprintf(text, sizeof text, "%s  L %.2f Hz  R %.2f Hz  beat %.2f Hz", place.c_str(), left,
                  right, std::fabs(left - right));
    if (shown_.empty() || shown_.back().text != text) shown_.push_back({frame, text});
}

void CardPlayer::feed_card() {
    while (!ended_ && feed_.space() >= static_cast<std::size_t>(block_)) {
        const long n = run_.produce(buffer_.data(), block_);
        feed_.push(buffer_.data(), static_cast<std::size_t>(n));
        ended_ = n < block_;
    }
}

// Says what has been heard by now: the setups that started (with --verbose) and the
// status line; `all` at the end, when everything has been.
void CardPlayer::tell(bool all) {
    const long long now = all ? run_.frames_done() : heard();
    const double rate = run_.rate();
    while (!starts_.empty() && starts_.front().frame <= now) {
        const HeadlessRun::SetupStart& start = starts_.front();
        if (options_.verbose) {
            say("%.3f: setup %ld/%d %s starts %.3f s in (turn %d)", monotonic_seconds(),
                start.position + 1, start.count, start.name.c_str(),
                static_cast<double>(start.frame - start.turn_frame) / rate, start.turn + 1);
        }
        starts_.pop_front();
    }
    while (shown_.size() > 1 && shown_[1].frame <= now) shown_.pop_front();
    if (!options_.status || all || shown_.empty()) return;
    // A session's end shows only as it comes; the sleep timer's is known from the start.
    long long end = run_.end_frame();
    if (end < 0 && options_.stop_after) end = std::llround(*options_.stop_after * rate);
    std::fprintf(stderr, "\r%s%s%s  %s\033[K", cli::clock_text(now / rate).c_str(),
                 end >= 0 ? " / " : "", end >= 0 ? cli::clock_text(end / rate).c_str() : "",
                 cli::printable(shown_.front().text).c_str());
}

// Notices a device that has gone (PortAudio ended the stream, or the card takes nothing
// while the program runs) and tries it again every few seconds; the run waits meanwhile.
// False when the player gives up, with the status in `status`.
bool CardPlayer::watch_device(double now, double step, int& status) {
    running_ += std::min(step, 1.0);  // a stopped process (Ctrl-Z) has not waited for the card
    if (!lost_) {
        if (feed_.taken() != taken_) {
            taken_ = feed_.taken();
            progress_at_ = running_;
        }
        if (card_.active() && running_ - progress_at_ < kSilentDevice) return true;
        lost_ = true;
        lost_at_ = now;
        retry_at_ = now + kRetry;
        card_.close(false);
        inhibitor_.release();
        say("the sound device stopped playing; trying it again every %.0f s", kRetry);
    }
    if (options_.stop_after && now - started_at_ >= *options_.stop_after) {
        say("the sleep timer ran out while no sound device played");
        status = 1;
        return false;
    }
    if (now - lost_at_ >= kGiveUp) {
        say("no sound device for %.0f minutes: giving up", kGiveUp / 60);
        status = 1;
        return false;
    }
    if (now < retry_at_) return true;
    retry_at_ = now + kRetry;
    std::string error;
    if (!card_.start(feed_, run_.rate(), error)) return true;
    lost_ = false;
    progress_at_ = running_;
    say("the sound device plays again");
    inhibitor_.take(error);
    return true;
}

int CardPlayer::play() {
    std::string error;
    if (int status = run_.start(error)) {
        say("%s", error.c_str());
        return status;
    }
    feed_card();  // the card starts with its first frames waiting
    if (!card_.start(feed_, run_.rate(), error)) {
        say("the sound device could not be opened: %s", error.c_str());
        return 1;
    }
    if (!inhibitor_.take(error) && options_.verbose)
        say("could not keep the machine awake: %s", error.c_str());
    const double poll = std::min(0.1, options_.latency / 4);
    started_at_ = monotonic_seconds();
    double last = started_at_;
    int status = 0;
    for (;;) {
        if (const int signal = cli::interrupt::signal_number(); signal && !interrupted_by_) {
            interrupted_by_ = signal;
            feed_.fade_out(kInterruptFade);
        }
        if (interrupted_by_ && (lost_ || feed_.faded_out())) break;
        if (!lost_) feed_card();
        if (ended_ && feed_.queued() == 0) break;
        const double now = monotonic_seconds();
        if (!watch_device(now, now - last, status)) break;
        last = now;
        if (now >= next_status_) {
            next_status_ = now + kStatusEvery;
            tell(false);
        }
        sleep_seconds(poll);
    }
    card_.close(!lost_);
    inhibitor_.release();
    tell(true);
    if (status == 0) summary();
    return status;
}

void CardPlayer::summary() {
    if (options_.quiet) return;
    if (options_.status) std::fputs("\r\033[K", stderr);
    const double played = static_cast<double>(feed_.taken()) / run_.rate();
    const std::string name = options_.input.filename().string();
    if (interrupted_by_) {
        say("stopped by %s after %s of %s", cli::interrupt::signal_name(interrupted_by_),
            cli::clock_text(played).c_str(), name.c_str());
    } else {
        say("played %s of %s", cli::clock_text(played).c_str(), name.c_str());
    }
    if (run_.held() > 0)
        say("%lld samples were held at full scale%s", run_.held(),
            options_.noise != NoiseColour::Off ? ": lower --noise-level" : "");
    if (options_.verbose) {
        say("the card took %.3f s of sound in %.3f s of the monotonic clock", played,
            monotonic_seconds() - started_at_);
    }
}

}  // namespace

int play(PlayOptions options) {
    const InputCheck input = check_input(options.input);
    if (input.status != 0) {
        say("%s", input.error.c_str());
        return input.status;
    }
    g_status_line = options.status;
    std::string error;
    const std::optional<int> rate =
        PortAudioStream(options.device, options.latency).rate_for(kRate, error);
    if (!rate) {
        say("the sound device could not be opened: %s", error.c_str());
        return 1;
    }
    if (*rate != kRate && options.verbose)
        say("the sound device does not take %d Hz: playing at its own %d Hz", kRate, *rate);
    options.rate = *rate;
    CardPlayer player(options, *rate);
    return player.play();
}

}  // namespace qv

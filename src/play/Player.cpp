#include "play/Player.h"

#include <time.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <memory>

#include "app/MainForm.h"
#include "audio/PortAudioBackend.h"
#include "cli/Arguments.h"
#include "cli/Interrupt.h"
#include "controls/RealTimeClock.h"
#include "play/LoginInhibitor.h"
#include "synth/Synthesis.h"
#include "timeline/KeyEntry.h"

namespace qv {

namespace {

using Ms = std::int64_t;

constexpr Ms kNever = INT64_MAX / 4;
// How often at least the player looks up from the time line: signals, the device, the
// status line.
constexpr Ms kLookUpMs = 250;
// Every end but the sleep timer's fades over this long.
constexpr Ms kEndFadeMs = 500;
// A device that mixes nothing for this long has gone (a sound server may hold two seconds
// of sound at first); it is tried again this often.
constexpr Ms kSilentDeviceMs = 4000;
constexpr Ms kRetryMs = 2000;

// Whether the status line is on: a line said meanwhile first clears it.
bool g_status_line = false;

void say(const char* format, auto... args) {
    std::fprintf(stderr, g_status_line ? "\r\033[Kquorvane-play: " : "quorvane-play: ");
    std::fprintf(stderr, format, args...);
    std::fputc('\n', stderr);
}

double monotonic_seconds() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// The playback rates the synthesis asks for, as the trace sees them.
struct Rates : ToneOutputObserver {
    std::int32_t hz[2] = {0, 0};
    void frequency_set(int channel, std::int32_t rate) override {
        if (channel == 0 || channel == 1) hz[channel] = rate;
    }
};

}  // namespace

int play(const PlayOptions& options) {
    const cli::InputCheck input = cli::check_input(options.input);
    if (input.status != 0) {
        say("%s", input.error.c_str());
        return input.status;
    }
    const bool session = input.session;
    g_status_line = options.status;
    std::filesystem::path folder = options.input.parent_path();
    if (folder.empty()) folder = ".";
    const std::string name = options.input.filename().string();

    RealTimeClock clock;
    clock.on_skip = [&options](Ms late) {
        if (options.verbose)
            say("the time line was held up for %.1f s and skips ahead", late / 1000.0);
    };
    PortAudioBackend::Options device{options.device, options.latency};
    modSynth_DX7 tone(std::make_unique<PortAudioBackend>(device));
    tone.set_output_gain(static_cast<float>(std::pow(10.0, -options.volume_db / 20.0)));
    Rates rates;
    tone.observer = &rates;
    MainForm form(clock, tone, folder);
    form.on_report = [](const std::string& message) { say("%s", message.c_str()); };
    form.report_sound_failures = false;
    if (!form.Form_Load()) {
        say("the sound device could not be opened: %s", tone.failure().c_str());
        return 1;
    }
    if (auto unreadable = session ? form.sessionList.open(name) : form.setupFile.open(name)) {
        say("cannot read %s: %s", options.input.string().c_str(), unreadable->c_str());
        return 1;
    }
    if (session && form.List1.list_count() < 2) {
        say("the session %s holds fewer than two setups: it would not start", name.c_str());
        return 2;
    }

    LoginInhibitor inhibitor;
    if (std::string why; !inhibitor.take(why) && options.verbose) {
        say("could not keep the machine awake: %s", why.c_str());
    }

    // The time line starts here, and again at each turn of --loop.
    Ms started = 0;
    int turn = 0;
    // For --verbose's last word: whether the time line kept pace with the clock.
    long transport_ticks = 0;
    const int last_key = [&] {
        const ListBox& keys = form.List2;
        return static_cast<int>(key_entry::time_of(keys.list(keys.list_count() - 1)).value_or(0));
    }();
    // A setup is done one tick after its last key, or at the stop at 600 s; a session and
    // a setup without a key after 0 s say so by stopping.
    const Ms setup_length =
        !session && last_key > 0 ? 100LL * std::min(10LL * last_key + 1, 6000LL) : kNever;
    auto announce = [&](Ms at) {
        if (!options.verbose) return;
        const long position = session ? form.sessionPlayer.position() : 0;
        say("%.3f: setup %ld/%d %s starts %.3f s in (turn %d)", monotonic_seconds(), position + 1,
            session ? form.List1.list_count() : 1, form.Text1.text().c_str(),
            static_cast<double>(at - started) / 1000.0, turn + 1);
    };
    // The player looks up after each transport tick, in the same wake-up, and now and
    // then while the transport rests.
    bool transport_ticked = false;
    form.Timer2.on_tick = [&, tick = form.Timer2.on_tick] {
        ++transport_ticks;
        tick();
        transport_ticked = true;
    };
    long announced_position = -1;
    // A session's next setup restarts the time line from inside a tick: heard at once.
    form.timeline.on_jump = [&] {
        if (session && form.sessionPlayer.running() &&
            form.sessionPlayer.position() != announced_position) {
            announced_position = form.sessionPlayer.position();
            announce(clock.now_ms());
        }
    };
    auto start = [&] {
        started = clock.now_ms();
        transport_ticks = 0;
        announced_position = -1;
        if (session) {
            form.execute.click();
        } else {
            form.play.click();
            announce(started);
        }
    };
    start();

    // Where the player ends, once it knows: every end fades, the sleep timer over --fade.
    Ms end_at = kNever;
    auto end_by = [&](Ms at, Ms now) {
        if (at >= end_at) return;
        end_at = at;
        tone.fade_to(0.0f, static_cast<double>(std::max<Ms>(at - now, 0)) / 1000.0);
    };
    const Ms duration_end = options.duration ? std::llround(*options.duration * 1000) : kNever;
    const Ms stop_end = options.stop_after ? std::llround(*options.stop_after * 1000) : kNever;
    const Ms sleep_fade = std::llround(options.fade * 1000);

    std::uint64_t frames = 0;
    Ms progress = clock.now_ms(), retry = kNever, shown = -kNever;
    bool lost = false;
    int interrupted_by = 0;
    for (Ms now = clock.now_ms(); now < end_at; now = clock.now_ms()) {
        if (int signal = cli::interrupt::signal_number(); signal && !interrupted_by) {
            interrupted_by = signal;
            end_by(now + kEndFadeMs, now);
        }
        if (now >= stop_end - sleep_fade) end_by(stop_end, now);
        if (now >= duration_end - kEndFadeMs) end_by(duration_end, now);
        const Ms input_end = started + setup_length;
        const bool stopped = session ? !form.sessionPlayer.running() : !form.transport.running();
        // --loop starts the input again; --duration plays on whatever the input says.
        if (options.loop && (stopped || now >= input_end)) {
            form.stop.click();
            ++turn;
            start();
        } else if (!options.loop && !options.duration) {
            if (stopped) {
                end_by(now + kEndFadeMs, now);
            } else if (now >= input_end - kEndFadeMs) {
                end_by(std::max(input_end, now), now);
            }
        }

        // A device that has gone is noticed by its silence, not only by an error: the
        // time line goes on, and the device is tried again every two seconds.
        SoundDevice* sound = tone.soundDevice();
        if (sound && sound->mixer().frames_mixed() != frames) {
            frames = sound->mixer().frames_mixed();
            progress = now;
            if (lost) say("the sound device plays again");
            lost = false;
        } else if (!lost && now - progress > kSilentDeviceMs) {
            lost = true;
            retry = now;
            say("the sound device stopped playing; trying it again every %lld s", kRetryMs / 1000);
        }
        if (lost && now >= retry) {
            retry = now + kRetryMs;
            progress = now;
            if (tone.InitSynth(form.hWnd)) {
                for (int i = 0; i < 2; ++i) tone.channelBuffer(i)->Play();
                if (end_at != kNever)
                    tone.fade_to(0.0f, static_cast<double>(end_at - now) / 1000.0);
            }
        }

        if (options.status && now - shown >= 250) {
            shown = now;
            const int freq = form.panel.sc(P::Freq).value();
            const double left = synth::fundamental_hz(rates.hz[0], freq);
            const double right = synth::fundamental_hz(rates.hz[1], freq);
            const Ms own = options.loop || options.duration ? kNever : setup_length;
            const Ms total = std::min({duration_end, stop_end, own});
            const std::string place = session
                                          ? std::to_string(form.sessionPlayer.position() + 1) +
                                                "/" + std::to_string(form.List1.list_count()) + " "
                                          : "";
            std::fprintf(stderr, "\r%s%s%s  %s%s  L %.2f Hz  R %.2f Hz  beat %.2f Hz\033[K",
                         cli::clock_text(now / 1000.0).c_str(), total < kNever ? " / " : "",
                         total < kNever ? cli::clock_text(total / 1000.0).c_str() : "",
                         place.c_str(), form.Text1.text().c_str(), left, right,
                         std::fabs(left - right));
        }
        transport_ticked = false;
        clock.run_until(now + kLookUpMs, [&] { return transport_ticked; });
    }
    form.timeline.on_jump = nullptr;
    const Ms ran = clock.now_ms() - started;  // the time line's own time, before the last drain
    tone.Release();  // the end of the fade is heard before the device closes
    inhibitor.release();
    if (!options.quiet) {
        if (options.status) std::fputs("\r\033[K", stderr);
        const std::string played = cli::clock_text(clock.now_ms() / 1000.0);
        if (interrupted_by) {
            say("stopped by %s after %s of %s", cli::interrupt::signal_name(interrupted_by),
                played.c_str(), name.c_str());
        } else {
            say("played %s of %s", played.c_str(), name.c_str());
        }
        if (options.verbose) {
            say("the time line made %ld steps of 0.1 s in %.3f s (play time %.3f s)",
                transport_ticks, static_cast<double>(ran) / 1000.0,
                static_cast<double>(form.timeline.playtime()));
        }
    }
    return 0;
}

}  // namespace qv

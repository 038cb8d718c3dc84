#include "render/Renderer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "app/MainForm.h"
#include "audio/OfflineBackend.h"
#include "cli/Arguments.h"
#include "cli/Interrupt.h"
#include "controls/VirtualClock.h"
#include "files/OutputFile.h"
#include "render/Progress.h"
#include "render/Trace.h"
#include "timeline/KeyEntry.h"

namespace qv {

namespace {

namespace fs = std::filesystem;

constexpr long kBlockFrames = 4096;
// A session's end is known only when it comes; its fade waits in memory until then.
constexpr long long kMaxHeldBackBytes = 64LL << 20;
// No setup of a session plays longer than to 0.1 s after a key at 600 s.
constexpr std::int64_t kLongestSetupMs = 600100;

// Fades the last frames to silence, the very last frame exactly 0. When the end is known
// from the start, frames are faded as they pass; otherwise the last `fade` frames wait in
// a ring until the end comes.
class FadeOut {
public:
    FadeOut(AudioFileWriter& writer, long long fade, long long end)
        : writer_(writer), fade_(fade), end_(end) {
        if (end_ < 0) ring_.resize(static_cast<std::size_t>(2 * fade_));
    }

    bool push(float* frames, long count, std::string& error) {
        if (end_ >= 0) {
            const long long n = std::min(fade_, end_);
            for (long i = 0; i < count; ++i) {
                const long long into = done_ + i - (end_ - n);
                if (into >= 0) scale(frames + 2 * i, n - 1 - into, n);
            }
            done_ += count;
            return writer_.write(frames, count, error);
        }
        if (fade_ == 0) return writer_.write(frames, count, error);
        while (count > 0) {
            // Filling, the ring's start stays at 0; once full, its oldest frames go out and
            // the new ones take their places.
            const bool full = held_ == fade_;
            const long long take =
                std::min<long long>(count, full ? fade_ - start_ : fade_ - held_);
            float* place = frame(full ? start_ : held_);
            if (full && !writer_.write(place, static_cast<long>(take), error)) return false;
            std::copy(frames, frames + 2 * take, place);
            if (full) {
                start_ = (start_ + take) % fade_;
            } else {
                held_ += take;
            }
            frames += 2 * take;
            count -= static_cast<long>(take);
        }
        return true;
    }

    bool finish(std::string& error) {
        if (end_ >= 0) return true;
        for (long long i = 0; i < held_; ++i)
            scale(frame((start_ + i) % fade_), held_ - 1 - i, held_);
        const long long first = std::min(held_, fade_ - start_);
        return writer_.write(frame(start_), static_cast<long>(first), error) &&
               writer_.write(frame(0), static_cast<long>(held_ - first), error);
    }

private:
    static void scale(float* frame, long long over, long long n) {
        const float gain = static_cast<float>(over) / static_cast<float>(n);
        frame[0] *= gain;
        frame[1] *= gain;
    }
    float* frame(long long i) { return ring_.data() + 2 * i; }

    AudioFileWriter& writer_;
    long long fade_;
    long long end_;
    long long done_ = 0;
    std::vector<float> ring_;
    long long start_ = 0;  // the oldest frame in the ring
    long long held_ = 0;
};

// The second of the last keyframe of the setup in the keyframe list, or 0 without one.
int last_key_second(const MainForm& form) {
    const ListBox& keys = form.List2;
    return static_cast<int>(key_entry::time_of(keys.list(keys.list_count() - 1)).value_or(0));
}

struct FileId {
    dev_t dev;
    ino_t ino;
    bool operator==(const FileId&) const = default;
};

std::optional<FileId> file_id(const fs::path& p) {
    struct stat st {};
    if (p == "-" ? ::fstat(STDOUT_FILENO, &st) != 0 : ::stat(p.c_str(), &st) != 0)
        return std::nullopt;
    return FileId{st.st_dev, st.st_ino};
}

// Where a new output would go: its folder's real place and its name, links followed.
fs::path landing_place(const fs::path& name) {
    std::string ignored;
    fs::path target = follow_links(name, ignored).value_or(name);
    std::error_code ec;
    fs::path resolved = fs::weakly_canonical(fs::absolute(target, ec), ec);
    return ec ? target : resolved;
}

}  // namespace

RenderResult render(const RenderOptions& options) {
    RenderResult result;
    auto fail = [&](int status, std::string message) {
        result.status = status;
        result.error = std::move(message);
        return result;
    };
    auto wall_start = std::chrono::steady_clock::now();
    const std::string input_name = options.input.string();

    using Format = AudioFileWriter::Format;
    std::optional<Format> format =
        options.format ? options.format : AudioFileWriter::format_of(options.output);
    if (!format && options.output == "-") {
        return fail(2, "standard output has no name to tell the format by: give --format");
    }
    if (!format) {
        return fail(2, "unknown output format '" + options.output.extension().string() + "': use " +
                           AudioFileWriter::kFormatNames + ", or --format");
    }
    if (auto refusal = AudioFileWriter::refusal(*format, options.rate, options.bits))
        return fail(2, *refusal);

    const cli::InputCheck input = cli::check_input(options.input);
    if (input.status != 0) return fail(input.status, input.error);
    const bool session = input.session;

    // The form works in the input's folder, so that the names in a session resolve as
    // they do in the window started there.
    fs::path folder = options.input.parent_path();
    if (folder.empty()) folder = ".";
    const std::string name = options.input.filename().string();

    VirtualClock clock;
    std::unique_ptr<Trace> trace;  // outlives the tone output that tells it each tick
    auto backend = std::make_unique<OfflineBackend>(options.rate);
    OfflineBackend& device = *backend;
    modSynth_DX7 tone(std::move(backend));
    MainForm form(clock, tone, folder);
    form.on_report = [](const std::string& message) {
        std::fprintf(stderr, "quorvane-render: %s\n", message.c_str());
    };
    if (!form.Form_Load()) return fail(1, "the offline sound output could not be opened");

    std::optional<std::string> unreadable =
        session ? form.sessionList.open(name) : form.setupFile.open(name);
    if (unreadable) return fail(1, "cannot read " + input_name + ": " + *unreadable);

    const long long rate = options.rate;
    auto frame_of = [rate](std::int64_t ms) { return ms * rate / 1000; };
    const long long tail_frames = std::llround(options.tail * options.rate);
    long long end_frame = -1;  // unknown until the session ends
    long long max_frames = -1;
    if (session) {
        if (form.List1.list_count() < 2) {
            return fail(2,
                        "the session " + name + " holds fewer than two setups: it would not start");
        }
        form.execute.click();
        if (!form.sessionPlayer.running() && !options.duration) {
            return fail(2, "the session " + name + " ends before any sound");
        }
        max_frames = frame_of(form.List1.list_count() * kLongestSetupMs) + tail_frames;
    } else {
        form.play.click();
        int last = last_key_second(form);
        if (last > 0) {
            // The transport hits the last key on its 10 x last-th tick and is done one
            // tick later; at 600 s it stops on the tick that hits.
            end_frame = frame_of(100LL * std::min(10LL * last + 1, 6000LL)) + tail_frames;
        } else if (!options.duration) {
            return fail(
                2, "the setup " + name +
                       " has no keyframe after 0 s and so no length of its own: give --duration");
        }
    }
    if (options.duration) end_frame = std::llround(*options.duration * options.rate) + tail_frames;
    if (end_frame == 0) return fail(2, "--duration is shorter than one frame");
    if (end_frame >= 0) max_frames = end_frame;

    const long long fade_frames = std::max(0LL, std::llround(options.fade_out * options.rate));
    if (end_frame < 0 &&
        fade_frames * 2 * static_cast<long long>(sizeof(float)) > kMaxHeldBackBytes) {
        return fail(2,
                    "--fade-out is too long for a session whose end is known only when it comes "
                    "(it would hold more than 64 MB back): shorten it or give --duration");
    }

    // Nothing the render reads may be what it writes: the input, the setups a session
    // names, and the two outputs are all told apart by the file they lead to.
    std::vector<std::pair<std::string, FileId>> inputs;
    if (auto id = file_id(options.input)) inputs.emplace_back("the input " + input_name, *id);
    for (const std::string& entry : session ? form.List1.items() : std::vector<std::string>{}) {
        if (auto id = entry.empty() ? std::nullopt : file_id(folder / entry)) {
            inputs.emplace_back("the setup " + entry + " of " + input_name, *id);
        }
    }
    std::vector<std::pair<const char*, fs::path>> outputs = {{"the output", options.output}};
    if (!options.trace.empty()) outputs.emplace_back("the trace", options.trace);
    for (const auto& [what, path] : outputs) {
        const std::optional<FileId> id = file_id(path);
        for (const auto& [input, input_id] : inputs) {
            if (id == input_id)
                return fail(2, std::string(what) + " " + path.string() + " is " + input);
        }
    }
    if (outputs.size() == 2) {
        const std::optional<FileId> a = file_id(options.output), b = file_id(options.trace);
        if (a ? a == b : landing_place(options.output) == landing_place(options.trace)) {
            return fail(2, "the output and the trace are the same file");
        }
    }

    std::string error;
    auto write_error = [&](const fs::path& path) {
        if (int signal = options.interrupted ? options.interrupted() : 0) {
            return fail(128 + signal, std::string("interrupted by ") +
                                          cli::interrupt::signal_name(signal) +
                                          ": nothing was written");
        }
        return fail(1, "cannot write " + path.string() + ": " + error);
    };
    OutputFile sound_file;
    OutputFile trace_file;
    if (!sound_file.open(options.output, OutputFile::Special::InPlace, error))
        return write_error(options.output);
    cli::interrupt::remove_on_second_signal(sound_file.temporary());
    if (!options.trace.empty()) {
        if (!trace_file.open(options.trace, OutputFile::Special::InPlace, error))
            return write_error(options.trace);
        cli::interrupt::remove_on_second_signal(trace_file.temporary());
        trace = std::make_unique<Trace>([&clock] { return clock.now_ms(); });
        tone.observer = trace.get();
    }
    struct Forget {
        const OutputFile& a;
        const OutputFile& b;
        ~Forget() {
            cli::interrupt::forget(a.temporary());
            cli::interrupt::forget(b.temporary());
        }
    } forget{sound_file, trace_file};
    auto drain_trace = [&](std::size_t keep) {
        if (!trace || trace->text().size() <= keep) return true;
        if (!trace_file.write(trace->text(), error)) return false;
        trace->text().clear();
        return true;
    };

    AudioFileWriter writer;
    if (!writer.open(sound_file.fd(), *format, options.rate, options.bits, options.quality,
                     max_frames, error)) {
        return write_error(options.output);
    }
    FadeOut fade(writer, fade_frames, end_frame);
    Progress progress(options.progress, options.rate);
    auto playing = [&] {
        if (!session) return std::string();
        const int at = form.List1.list_index();
        return std::to_string(at + 1) + "/" + std::to_string(form.List1.list_count()) + " " +
               form.List1.list(at);
    };

    std::vector<float> block(2 * kBlockFrames);
    long long done = 0;
    bool session_ended = false;
    for (;;) {
        if (options.interrupted && options.interrupted() != 0) return write_error(options.output);
        std::optional<std::int64_t> next = clock.next_due();
        long long target = next ? frame_of(*next) : end_frame;
        if (end_frame >= 0) target = std::min(target, end_frame);
        while (done < target) {
            long n = static_cast<long>(std::min<long long>(kBlockFrames, target - done));
            device.pull(block.data(), static_cast<std::size_t>(n));
            if (!fade.push(block.data(), n, error)) return write_error(options.output);
            done += n;
            if (options.interrupted && options.interrupted() != 0)
                return write_error(options.output);
        }
        if (!drain_trace(1 << 16)) return write_error(options.trace);
        progress.update(done, end_frame, playing());
        if ((end_frame >= 0 && done >= end_frame) || !next) break;
        clock.run_next(*next);
        if (!session_ended && end_frame < 0 && !form.sessionPlayer.running()) {
            session_ended = true;
            end_frame = frame_of(clock.now_ms()) + tail_frames;
        }
    }
    progress.finish();
    if (!fade.finish(error) || !writer.finish(error)) return write_error(options.output);
    // Both complete on the disk before either takes its name.
    if (!drain_trace(0) || (trace && !trace_file.close(error))) return write_error(options.trace);
    if (!sound_file.close(error)) return write_error(options.output);
    if (trace && !trace_file.commit(error)) return write_error(options.trace);
    if (!sound_file.commit(error)) return write_error(options.output);

    result.frames = done;
    result.setups_played = session ? form.List1.list_index() + 1 : 1;
    result.wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    return result;
}

}  // namespace qv

#include "render/Renderer.h"

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <memory>
#include <vector>

#include "app/MainForm.h"
#include "audio/OfflineBackend.h"
#include "controls/VirtualClock.h"
#include "params/Numbers.h"
#include "render/Progress.h"
#include "render/Trace.h"

namespace qv {

namespace {

constexpr long kBlockFrames = 4096;

// Holds back the last frames of the stream so that they can be faded out once the end
// is known, and writes everything before them as it comes.
class FadingSink {
public:
    FadingSink(AudioFileWriter& writer, long fade_frames) : writer_(writer), fade_frames_(fade_frames) {}

    bool push(const float* frames, long count, std::string& error) {
        pending_.insert(pending_.end(), frames, frames + 2 * count);
        long ready = static_cast<long>(pending_.size() / 2) - fade_frames_;
        if (ready <= 0) return true;
        if (!writer_.write(pending_.data(), ready, error)) return false;
        pending_.erase(pending_.begin(), pending_.begin() + 2 * ready);
        return true;
    }

    // Fades the held-back frames to silence (the last frame is exactly 0) and writes them.
    bool finish(std::string& error) {
        long n = static_cast<long>(pending_.size() / 2);
        for (long i = 0; i < n; ++i) {
            float gain = static_cast<float>(n - 1 - i) / static_cast<float>(n);
            pending_[2 * i] *= gain;
            pending_[2 * i + 1] *= gain;
        }
        bool ok = writer_.write(pending_.data(), n, error);
        pending_.clear();
        return ok;
    }

private:
    AudioFileWriter& writer_;
    long fade_frames_;
    std::vector<float> pending_;
};

bool is_session(const std::filesystem::path& input) {
    std::string ext = input.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext == ".ses";
}

// The time in seconds of the last keyframe of the setup in the keyframe list, if any.
int last_key_second(MainForm& form) {
    const std::string& last = form.List2.list(form.List2.list_count() - 1);
    auto seconds = numbers::parse_number(std::string_view(last).substr(0, 3), '.');
    return seconds ? static_cast<int>(*seconds) : 0;
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

    std::string error;
    if (AudioFileWriter::format_for(options.output, options.bits, error) == 0) return fail(2, error);
    {
        std::ifstream probe(options.input, std::ios::binary);
        std::error_code ec;
        if (!probe || std::filesystem::is_directory(options.input, ec)) {
            return fail(1, "cannot read " + options.input.string() + ": " +
                               (std::filesystem::exists(options.input, ec) ? "not a readable file"
                                                                           : "no such file"));
        }
    }

    // The form works in the input's folder, so that the names in a session resolve as
    // they do in the window started there.
    std::filesystem::path folder = options.input.parent_path();
    if (folder.empty()) folder = ".";
    std::string name = options.input.filename().string();

    VirtualClock clock;
    auto backend = std::make_unique<OfflineBackend>(options.rate);
    OfflineBackend& device = *backend;
    modSynth_DX7 tone(std::move(backend));
    MainForm form(clock, tone, folder);
    form.on_report = [](const std::string& message) {
        std::fprintf(stderr, "quorvane-render: %s\n", message.c_str());
    };

    std::unique_ptr<std::FILE, int (*)(std::FILE*)> trace_file(nullptr, &std::fclose);
    std::unique_ptr<Trace> trace;
    if (!options.trace.empty()) {
        trace_file.reset(std::fopen(options.trace.c_str(), "w"));
        if (!trace_file) return fail(1, "cannot write " + options.trace.string());
        trace = std::make_unique<Trace>(trace_file.get(), [&clock] { return clock.now_ms(); });
        tone.observer = trace.get();
    }

    if (!form.Form_Load()) return fail(1, "the offline sound output could not be opened");

    bool session = is_session(options.input);
    FileListBox& files = session ? form.File2 : form.File1;
    const auto& names = files.names();
    auto found = std::find(names.begin(), names.end(), name);
    if (found == names.end()) {
        return fail(2, options.input.string() + " is neither a setup (.qrv) nor a session (.ses)");
    }
    files.double_click(static_cast<int>(found - names.begin()));

    const long long rate = options.rate;
    auto frame_of = [rate](std::int64_t ms) { return ms * rate / 1000; };
    long long end_frame = -1;  // unknown until the session ends
    if (session) {
        if (form.List1.list_count() < 2) {
            return fail(2, "the session " + name + " holds fewer than two setups: it would not start");
        }
        form.execute.click();
        if (!form.Timer2.enabled() && !options.duration) {
            return fail(2, "the session " + name + " ends before any sound");
        }
    } else {
        form.play.click();
        int last = last_key_second(form);
        if (last > 0) {
            // The transport hits the last key on its 10 x last-th tick and is done one
            // tick later; at 600 s it stops on the tick that hits.
            end_frame = frame_of(100LL * std::min(10LL * last + 1, 6000LL));
        } else if (!options.duration) {
            return fail(2, "the setup " + name +
                               " has no keyframe after 0 s and so no length of its own: give --duration");
        }
    }
    long long tail_frames = std::llround(options.tail * options.rate);
    if (options.duration) end_frame = std::llround(*options.duration * options.rate);
    if (end_frame >= 0) end_frame += tail_frames;

    AudioFileWriter writer;
    if (!writer.open(options.output, options.rate, options.bits, error)) return fail(1, error);
    FadingSink sink(writer, std::max(0L, static_cast<long>(std::lround(options.fade_out * options.rate))));
    Progress progress(options.progress, options.rate);

    std::vector<float> block(2 * kBlockFrames);
    long long done = 0;
    bool transport_ended = false;
    for (;;) {
        std::optional<std::int64_t> next = clock.next_due();
        long long target = next ? frame_of(*next) : end_frame;
        if (end_frame >= 0) target = std::min(target, end_frame);
        while (done < target) {
            long n = static_cast<long>(std::min<long long>(kBlockFrames, target - done));
            device.pull(block.data(), static_cast<std::size_t>(n));
            if (!sink.push(block.data(), n, error)) return fail(1, error);
            done += n;
        }
        progress.update(done, end_frame);
        if ((end_frame >= 0 && done >= end_frame) || !next) break;
        clock.run_next(*next);
        // A session ends, and a setup stops at 600 s, by switching the transport off.
        if (!transport_ended && !form.Timer2.enabled() && !options.duration) {
            transport_ended = true;
            long long stop = frame_of(clock.now_ms()) + tail_frames;
            end_frame = end_frame < 0 ? stop : std::min(end_frame, stop);
        }
    }
    progress.finish();
    if (!sink.finish(error) || !writer.finish(error)) return fail(1, error);

    result.frames = done;
    result.setups_played = session ? form.List1.list_index() + 1 : 1;
    result.wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    return result;
}

}  // namespace qv

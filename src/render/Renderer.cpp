#include "render/Renderer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

#include "cli/Arguments.h"
#include "cli/Interrupt.h"
#include "files/OutputFile.h"
#include "render/Progress.h"
#include "render/Trace.h"

namespace qv {

namespace {

namespace fs = std::filesystem;

constexpr long kBlockFrames = 4096;

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

// Nothing the render reads may be what it writes: the input, the setups a session names,
// and the two outputs are all told apart by the file they lead to.
std::optional<std::string> clash(const RenderOptions& options, HeadlessRun& run) {
    const std::string input_name = options.input.string();
    std::vector<std::pair<std::string, FileId>> inputs;
    if (auto id = file_id(options.input)) inputs.emplace_back("the input " + input_name, *id);
    for (const std::string& entry :
         run.session() ? run.form().List1.items() : std::vector<std::string>{}) {
        if (auto id = entry.empty() ? std::nullopt : file_id(run.folder() / entry))
            inputs.emplace_back("the setup " + entry + " of " + input_name, *id);
    }
    std::vector<std::pair<const char*, fs::path>> outputs = {{"the output", options.output}};
    if (!options.trace.empty()) outputs.emplace_back("the trace", options.trace);
    for (const auto& [what, path] : outputs) {
        const std::optional<FileId> id = file_id(path);
        for (const auto& [input, input_id] : inputs) {
            if (id == input_id) return std::string(what) + " " + path.string() + " is " + input;
        }
    }
    if (outputs.size() == 2) {
        const std::optional<FileId> a = file_id(options.output), b = file_id(options.trace);
        if (a ? a == b : landing_place(options.output) == landing_place(options.trace))
            return "the output and the trace are the same file";
    }
    return std::nullopt;
}

// Why the options cannot give a file, or none; `format` is the output's.
std::optional<std::string> refusal(const RenderOptions& options,
                                   std::optional<AudioFileWriter::Format>& format) {
    format = options.format ? options.format : AudioFileWriter::format_of(options.output);
    if (!format && options.output == "-")
        return "standard output has no name to tell the format by: give --format";
    if (!format) {
        return "unknown output format '" + options.output.extension().string() + "': use " +
               AudioFileWriter::kFormatNames + ", or --format";
    }
    if (auto why = AudioFileWriter::refusal(*format, options.rate, options.bits)) return why;
    if (options.loop && !options.duration && !options.stop_after)
        return "--loop never ends by itself: give --duration or --stop-after";
    if (*format == AudioFileWriter::Format::Wav && !OutputFile::can_go_back(options.output)) {
        return "a WAV file needs an output it can go back in, for the length at its start: "
               "use --format flac";
    }
    return std::nullopt;
}

// The sound file and the trace, each under its own name only once both are complete. A
// failure names the file in `failed` and says why in `error`.
struct Outputs {
    OutputFile sound;
    OutputFile trace;
    AudioFileWriter writer;
    std::unique_ptr<Trace> lines;
    fs::path failed;
    std::string error;

    ~Outputs() {
        cli::interrupt::forget(sound.temporary());
        cli::interrupt::forget(trace.temporary());
    }
    bool fail(const fs::path& path) {
        failed = path;
        return false;
    }
    bool open(const RenderOptions& o, AudioFileWriter::Format format, HeadlessRun& run) {
        if (!sound.open(o.output, OutputFile::Special::InPlace, error)) return fail(o.output);
        cli::interrupt::remove_on_second_signal(sound.temporary());
        if (!o.trace.empty()) {
            if (!trace.open(o.trace, OutputFile::Special::InPlace, error)) return fail(o.trace);
            cli::interrupt::remove_on_second_signal(trace.temporary());
            lines = std::make_unique<Trace>([&run] { return run.clock().now_ms(); });
            run.tone().observer = lines.get();
        }
        if (!writer.open(sound, format, o.rate, o.bits, o.quality, run.longest(), error))
            return fail(o.output);
        return true;
    }
    // Writes out what the trace has gathered once it passes `keep` bytes.
    bool drain_trace(std::size_t keep, const RenderOptions& o) {
        if (!lines || lines->text().size() <= keep) return true;
        if (!trace.write(lines->text(), error)) return fail(o.trace);
        lines->text().clear();
        return true;
    }
    // Both complete on the disk before either takes its name.
    bool finish(const RenderOptions& o) {
        if (!writer.finish(error)) return fail(o.output);
        if (!drain_trace(0, o) || (lines && !trace.close(error))) return fail(o.trace);
        if (!sound.close(error)) return fail(o.output);
        if (lines && !trace.commit(error)) return fail(o.trace);
        if (!sound.commit(error)) return fail(o.output);
        return true;
    }
};

}  // namespace

RenderResult render(const RenderOptions& options) {
    RenderResult result;
    auto fail = [&](int status, std::string message) {
        result.status = status;
        result.error = std::move(message);
        return result;
    };
    const auto wall_start = std::chrono::steady_clock::now();
    std::optional<AudioFileWriter::Format> format;
    if (auto why = refusal(options, format)) return fail(2, *why);

    Outputs out;  // the trace outlives the tone output that tells it each tick
    HeadlessRun run(options);
    run.form().on_report = [](const std::string& message) {
        std::fprintf(stderr, "quorvane-render: %s\n", cli::printable(message).c_str());
    };
    std::string error;
    if (int status = run.start(error)) return fail(status, error);
    if (auto why = clash(options, run)) return fail(2, *why);

    auto interrupted = [&] { return options.interrupted ? options.interrupted() : 0; };
    auto write_error = [&] {
        if (const int signal = interrupted()) {
            return fail(128 + signal, std::string("interrupted by ") +
                                          cli::interrupt::signal_name(signal) +
                                          ": nothing was written");
        }
        return fail(1, "cannot write " + out.failed.string() + ": " + out.error);
    };
    if (!out.open(options, *format, run)) return write_error();
    Progress progress(options.progress, options.rate);
    std::vector<float> block(2 * kBlockFrames);
    while (const long n = run.produce(block.data(), kBlockFrames)) {
        if (interrupted() || !out.writer.write(block.data(), n, out.error)) {
            out.failed = options.output;
            return write_error();
        }
        if (!out.drain_trace(1 << 16, options)) return write_error();
        progress.update(run.frames_done(), run.end_frame(), run.playing());
    }
    progress.finish();
    if (interrupted() || !out.finish(options)) return write_error();

    result.frames = run.frames_done();
    result.held = run.held();
    result.setups_played = run.setups_started();
    result.wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    return result;
}

}  // namespace qv

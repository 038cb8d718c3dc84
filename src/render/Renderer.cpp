#include "render/Renderer.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cmath>
#include <cstring>
#include <memory>
#include <vector>

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

// The sound file and the trace, each under its own name only once both are complete.
struct Outputs {
    OutputFile sound;
    OutputFile trace;
    AudioFileWriter writer;
    std::unique_ptr<Trace> lines;

    ~Outputs() {
        cli::interrupt::forget(sound.temporary());
        cli::interrupt::forget(trace.temporary());
    }
    // Writes out what the trace has gathered once it passes `keep` bytes.
    bool drain_trace(std::size_t keep, std::string& error) {
        if (!lines || lines->text().size() <= keep) return true;
        if (!trace.write(lines->text(), error)) return false;
        lines->text().clear();
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

    using Format = AudioFileWriter::Format;
    std::optional<Format> format =
        options.format ? options.format : AudioFileWriter::format_of(options.output);
    if (!format && options.output == "-")
        return fail(2, "standard output has no name to tell the format by: give --format");
    if (!format) {
        return fail(2, "unknown output format '" + options.output.extension().string() + "': use " +
                           AudioFileWriter::kFormatNames + ", or --format");
    }
    if (auto refusal = AudioFileWriter::refusal(*format, options.rate, options.bits))
        return fail(2, *refusal);
    if (options.loop && !options.duration && !options.stop_after)
        return fail(2, "--loop never ends by itself: give --duration or --stop-after");

    Outputs out;  // the trace outlives the tone output that tells it each tick
    HeadlessRun run(options);
    run.form().on_report = [](const std::string& message) {
        std::fprintf(stderr, "quorvane-render: %s\n", message.c_str());
    };
    std::string error;
    if (int status = run.start(error)) return fail(status, error);
    if (auto why = clash(options, run)) return fail(2, *why);

    auto write_error = [&](const fs::path& path) {
        if (int signal = options.interrupted ? options.interrupted() : 0) {
            return fail(128 + signal, std::string("interrupted by ") +
                                          cli::interrupt::signal_name(signal) +
                                          ": nothing was written");
        }
        return fail(1, "cannot write " + path.string() + ": " + error);
    };
    if (!out.sound.open(options.output, OutputFile::Special::InPlace, error))
        return write_error(options.output);
    cli::interrupt::remove_on_second_signal(out.sound.temporary());
    if (!options.trace.empty()) {
        if (!out.trace.open(options.trace, OutputFile::Special::InPlace, error))
            return write_error(options.trace);
        cli::interrupt::remove_on_second_signal(out.trace.temporary());
        out.lines = std::make_unique<Trace>([&run] { return run.clock().now_ms(); });
        run.tone().observer = out.lines.get();
    }
    if (!out.writer.open(out.sound.fd(), *format, options.rate, options.bits, options.quality,
                         run.longest(), error)) {
        return write_error(options.output);
    }

    Progress progress(options.progress, options.rate);
    std::vector<float> block(2 * kBlockFrames);
    auto interrupted = [&] { return options.interrupted && options.interrupted() != 0; };
    while (const long n = run.produce(block.data(), kBlockFrames)) {
        if (interrupted() || !out.writer.write(block.data(), n, error))
            return write_error(options.output);
        if (!out.drain_trace(1 << 16, error)) return write_error(options.trace);
        progress.update(run.frames_done(), run.end_frame(), run.playing());
    }
    progress.finish();
    if (interrupted() || !out.writer.finish(error)) return write_error(options.output);
    // Both complete on the disk before either takes its name.
    if (!out.drain_trace(0, error) || (out.lines && !out.trace.close(error)))
        return write_error(options.trace);
    if (!out.sound.close(error)) return write_error(options.output);
    if (out.lines && !out.trace.commit(error)) return write_error(options.trace);
    if (!out.sound.commit(error)) return write_error(options.output);

    result.frames = run.frames_done();
    result.setups_played = run.setups_started();
    result.wall_seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
    return result;
}

}  // namespace qv

#pragma once

#include <sndfile.h>

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "files/OutputFile.h"

namespace qv {

// Streams stereo float frames into a sound file through libsndfile, into an output the
// caller opened and closes.
class AudioFileWriter {
public:
    enum class Bits { Int16, Int24, Float32 };
    enum class Format { Wav, Flac, Vorbis, Mp3, Opus };

    AudioFileWriter();
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;
    ~AudioFileWriter();

    // "wav", "flac", "ogg", "mp3" or "opus", as --format or a file name's extension says.
    static std::optional<Format> format_named(std::string_view name);
    static std::optional<Format> format_of(const std::filesystem::path& target);
    static constexpr const char* kFormatNames = ".wav, .flac, .ogg, .mp3 or .opus";
    static bool lossy(Format format) { return format >= Format::Vorbis; }
    // Why a format cannot take this rate or sample width, in words that list what it takes.
    static std::optional<std::string> refusal(Format format, int rate, Bits bits);

    // `max_frames` is the most frames that can come, or negative when that is unknown: a
    // WAV file that could pass 4 GiB is begun as RF64, which becomes plain WAV again when
    // it stays smaller. `quality` (0 to 1, 1 the best) is for the lossy formats.
    bool open(OutputFile& out, Format format, int rate, Bits bits, double quality,
              long long max_frames, std::string& error);
    bool write(const float* interleaved, long frames, std::string& error);
    // Completes the file (its header) and lets it go; the descriptor stays open.
    bool finish(std::string& error);

private:
    struct Sink;
    std::string failure(int number, const char* otherwise) const;

    std::unique_ptr<Sink> sink_;
    SNDFILE* file_ = nullptr;
};

}  // namespace qv

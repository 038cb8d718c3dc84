#pragma once

#include <sndfile.h>

#include <filesystem>
#include <string>

namespace qv {

// Streams stereo float frames into a sound file through libsndfile. The format follows
// the name's extension (.wav, .flac, .ogg). Everything is written to a temporary file
// beside the target and renamed over it only by finish(), so a failed render never
// leaves a half-written file under the target's name.
class AudioFileWriter {
public:
    enum class Bits { Int16, Int24, Float32 };

    AudioFileWriter() = default;
    AudioFileWriter(const AudioFileWriter&) = delete;
    AudioFileWriter& operator=(const AudioFileWriter&) = delete;
    ~AudioFileWriter();

    // The libsndfile format for a target name and sample width, or 0 with `error` set
    // when the extension or the width is not supported.
    static int format_for(const std::filesystem::path& target, Bits bits, std::string& error);

    bool open(const std::filesystem::path& target, int rate, Bits bits, std::string& error);
    bool write(const float* interleaved, long frames, std::string& error);
    // Closes the file and renames it to the target.
    bool finish(std::string& error);
    // Closes and removes the temporary file.
    void abort();

private:
    SNDFILE* file_ = nullptr;
    std::filesystem::path target_;
    std::filesystem::path temp_;
};

}  // namespace qv

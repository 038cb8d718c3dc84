#include "render/AudioFileWriter.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstring>
#include <system_error>

namespace qv {

namespace {

std::string lower_extension(const std::filesystem::path& p) {
    std::string ext = p.extension().string();
    std::transform(ext.begin(), ext.end(), ext.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return ext;
}

}  // namespace

AudioFileWriter::~AudioFileWriter() { abort(); }

int AudioFileWriter::format_for(const std::filesystem::path& target, Bits bits, std::string& error) {
    std::string ext = lower_extension(target);
    if (ext == ".wav") {
        int sub = bits == Bits::Int16 ? SF_FORMAT_PCM_16 : bits == Bits::Int24 ? SF_FORMAT_PCM_24 : SF_FORMAT_FLOAT;
        return SF_FORMAT_WAV | sub;
    }
    if (ext == ".flac") {
        if (bits == Bits::Float32) {
            error = "FLAC holds whole-number samples only: use --bits 16 or 24";
            return 0;
        }
        return SF_FORMAT_FLAC | (bits == Bits::Int16 ? SF_FORMAT_PCM_16 : SF_FORMAT_PCM_24);
    }
    if (ext == ".ogg") return SF_FORMAT_OGG | SF_FORMAT_VORBIS;
    error = "unknown output format '" + ext + "': use .wav, .flac or .ogg";
    return 0;
}

bool AudioFileWriter::open(const std::filesystem::path& target, int rate, Bits bits, std::string& error) {
    int format = format_for(target, bits, error);
    if (format == 0) return false;
    target_ = target;
    // A unique name in the target's own folder, so that the final rename stays on one
    // file system and replaces the target in one step.
    std::string pattern = (target.parent_path().empty() ? std::filesystem::path(".") : target.parent_path()) /
                          ("." + target.filename().string() + ".XXXXXX");
    int fd = mkstemp(pattern.data());
    if (fd < 0) {
        error = "cannot write " + target.string() + ": " + std::strerror(errno);
        return false;
    }
    temp_ = pattern;
    mode_t mask = ::umask(0);
    ::umask(mask);
    ::fchmod(fd, 0666 & ~mask);  // mkstemp's 0600 would stay on the renamed file
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    info.format = format;
    file_ = sf_open_fd(fd, SFM_WRITE, &info, SF_TRUE);
    if (!file_) {
        error = "cannot write " + target.string() + ": " + sf_strerror(nullptr);
        abort();  // libsndfile has closed the descriptor
        return false;
    }
    // The peak chunk of float WAV files carries a time stamp: leave it out so that the
    // same input always gives the same bytes.
    sf_command(file_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    // The mixer saturates at full scale, so the samples need no clipping of their own.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_FALSE);
    return true;
}

bool AudioFileWriter::write(const float* interleaved, long frames, std::string& error) {
    if (frames <= 0) return true;
    if (sf_writef_float(file_, interleaved, frames) != frames) {
        error = "cannot write " + target_.string() + ": " + sf_strerror(file_);
        return false;
    }
    return true;
}

bool AudioFileWriter::finish(std::string& error) {
    int rc = sf_close(file_);
    file_ = nullptr;
    if (rc != 0) {
        error = "cannot write " + target_.string() + ": " + sf_error_number(rc);
        abort();
        return false;
    }
    std::error_code ec;
    std::filesystem::rename(temp_, target_, ec);
    if (ec) {
        error = "cannot write " + target_.string() + ": " + ec.message();
        abort();
        return false;
    }
    temp_.clear();
    return true;
}

void AudioFileWriter::abort() {
    if (file_) sf_close(file_);
    file_ = nullptr;
    if (!temp_.empty()) {
        std::error_code ec;
        std::filesystem::remove(temp_, ec);
        temp_.clear();
    }
}

}  // namespace qv

#include "render/AudioFileWriter.h"

#include <unistd.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdint>

namespace qv {

namespace {

using Format = AudioFileWriter::Format;
using Bits = AudioFileWriter::Bits;

// What the encoders take: Opus its five rates, MPEG Layer III the rates of MPEG-1 and 2.
constexpr std::array kOpusRates = {8000, 12000, 16000, 24000, 48000};
constexpr std::array kMp3Rates = {8000, 11025, 12000, 16000, 22050, 24000, 32000, 44100, 48000};

template <std::size_t N>
std::string rate_list(const std::array<int, N>& rates) {
    std::string text;
    for (std::size_t i = 0; i < N; ++i) {
        text += (i == 0 ? "" : i + 1 == N ? " or " : ", ") + std::to_string(rates[i]);
    }
    return text;
}

int pcm(Bits bits) {
    return bits == Bits::Int16   ? SF_FORMAT_PCM_16
           : bits == Bits::Int24 ? SF_FORMAT_PCM_24
                                 : SF_FORMAT_FLOAT;
}

// libsndfile's message without its "System error : " or "Error : " and its full stop.
std::string reason(const char* message) {
    std::string_view text = message;
    for (std::string_view prefix : {"System error : ", "Error : "}) {
        if (text.starts_with(prefix)) text.remove_prefix(prefix.size());
    }
    if (text.ends_with('.')) text.remove_suffix(1);
    return std::string(text);
}

int bytes_per_sample(Bits bits) {
    return bits == Bits::Int16 ? 2 : bits == Bits::Int24 ? 3 : 4;
}

}  // namespace

AudioFileWriter::~AudioFileWriter() {
    if (file_) sf_close(file_);
}

std::optional<Format> AudioFileWriter::format_named(std::string_view name) {
    std::string lower(name);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (lower == "wav") return Format::Wav;
    if (lower == "flac") return Format::Flac;
    if (lower == "ogg") return Format::Vorbis;
    if (lower == "mp3") return Format::Mp3;
    if (lower == "opus") return Format::Opus;
    return std::nullopt;
}

std::optional<Format> AudioFileWriter::format_of(const std::filesystem::path& target) {
    const std::string ext = target.extension().string();
    if (ext.size() < 2) return std::nullopt;
    return format_named(std::string_view(ext).substr(1));
}

std::optional<std::string> AudioFileWriter::refusal(Format format, int rate, Bits bits) {
    if (format == Format::Flac && bits == Bits::Float32) {
        return "FLAC holds whole-number samples only: use --bits 16 or 24";
    }
    if (lossy(format) && bits != Bits::Int16) {
        return "--bits is for .wav and .flac: a lossy format chooses its own (use --quality)";
    }
    if (format == Format::Opus &&
        std::find(kOpusRates.begin(), kOpusRates.end(), rate) == kOpusRates.end()) {
        return "Opus takes a --rate of " + rate_list(kOpusRates) + " Hz";
    }
    if (format == Format::Mp3 &&
        std::find(kMp3Rates.begin(), kMp3Rates.end(), rate) == kMp3Rates.end()) {
        return "MP3 takes a --rate of " + rate_list(kMp3Rates) + " Hz";
    }
    return std::nullopt;
}

bool AudioFileWriter::open(int fd, Format format, int rate, Bits bits, double quality,
                           long long max_frames, std::string& error) {
    // A RIFF header counts bytes in 32 bits; leave room for the header itself.
    constexpr long long kWavLimit = (1LL << 32) - (1 << 16);
    const bool big = max_frames < 0 || max_frames > kWavLimit / (2 * bytes_per_sample(bits));
    SF_INFO info{};
    info.samplerate = rate;
    info.channels = 2;
    switch (format) {
        case Format::Wav:
            info.format = (big ? SF_FORMAT_RF64 : SF_FORMAT_WAV) | pcm(bits);
            break;
        case Format::Flac:
            info.format = SF_FORMAT_FLAC | pcm(bits);
            break;
        case Format::Vorbis:
            info.format = SF_FORMAT_OGG | SF_FORMAT_VORBIS;
            break;
        case Format::Mp3:
            info.format = SF_FORMAT_MPEG | SF_FORMAT_MPEG_LAYER_III;
            break;
        case Format::Opus:
            info.format = SF_FORMAT_OGG | SF_FORMAT_OPUS;
            break;
    }
    if (format == Format::Wav && ::lseek(fd, 0, SEEK_CUR) < 0) {
        error =
            "a WAV file needs an output it can go back in, for the length at its start: use "
            "--format flac";
        return false;
    }
    file_ = sf_open_fd(fd, SFM_WRITE, &info, SF_FALSE);
    if (!file_) {
        error = reason(sf_strerror(nullptr));
        return false;
    }
    if (format == Format::Wav && big) sf_command(file_, SFC_RF64_AUTO_DOWNGRADE, nullptr, SF_TRUE);
    // The peak chunk of float WAV files carries a time stamp: leave it out so that the
    // same input always gives the same bytes.
    sf_command(file_, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
    // The mixer saturates at full scale, so the samples need no clipping of their own.
    sf_command(file_, SFC_SET_CLIPPING, nullptr, SF_FALSE);
    if (lossy(format)) {
        if (format == Format::Mp3) {
            int mode = SF_BITRATE_MODE_VARIABLE;
            sf_command(file_, SFC_SET_BITRATE_MODE, &mode, sizeof mode);
        }
        double level = 1.0 - quality;
        if (!sf_command(file_, SFC_SET_COMPRESSION_LEVEL, &level, sizeof level)) {
            error = reason(sf_strerror(file_));
            return false;
        }
    }
    return true;
}

bool AudioFileWriter::write(const float* interleaved, long frames, std::string& error) {
    if (frames <= 0) return true;
    if (sf_writef_float(file_, interleaved, frames) != frames) {
        error = reason(sf_strerror(file_));
        return false;
    }
    return true;
}

bool AudioFileWriter::finish(std::string& error) {
    const int rc = sf_close(file_);
    file_ = nullptr;
    if (rc != 0) {
        error = reason(sf_error_number(rc));
        return false;
    }
    return true;
}

}  // namespace qv

#include "render/AudioFileWriter.h"

#include <fcntl.h>
#include <sys/stat.h>
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

// The length of the MPEG audio frame at the start of `bytes` if it holds nothing but its
// header, or 0.
std::size_t blank_frame_length(std::string_view bytes) {
    constexpr int kMpeg1[] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
    constexpr int kMpeg2[] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
    constexpr int kRates[] = {44100, 48000, 32000};
    if (bytes.size() < 4) return 0;
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(bytes[i]); };
    const int version = byte(1) >> 3 & 3;  // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int bitrate = byte(2) >> 4, rate = byte(2) >> 2 & 3;
    if (byte(0) != 0xFF || (byte(1) & 0xE6) != 0xE2 || version == 1 || bitrate == 0 ||
        bitrate == 15 || rate == 3) {
        return 0;
    }
    const int hz = kRates[rate] >> (version == 3 ? 0 : version == 2 ? 1 : 2);
    const std::size_t length = static_cast<std::size_t>(
        (version == 3 ? 144000 * kMpeg1[bitrate] : 72000 * kMpeg2[bitrate]) / hz +
        (byte(2) >> 1 & 1));
    if (length > bytes.size()) return 0;
    const std::string_view rest = bytes.substr(4, length - 4);
    return rest.find_first_not_of('\0') == std::string_view::npos ? length : 0;
}

// Every byte libsndfile writes goes through the output's own checked writes; the first
// failure is kept with the system's reason, whatever libsndfile makes of it (some of its
// encoders count a failed write as done). Positions count from where the descriptor stood,
// and an output that cannot go back (a pipe, a stream opened for appending) refuses any
// move but to where it is, which is no failure of a write.
struct AudioFileWriter::Sink {
    OutputFile& out;
    bool seekable;
    sf_count_t base;
    sf_count_t position = 0;
    sf_count_t written = 0;  // the length of an output that cannot go back
    std::string failure;
    bool mp3 = false;

    explicit Sink(OutputFile& file) : out(file) {
        const int flags = ::fcntl(out.fd(), F_GETFL);
        base = ::lseek(out.fd(), 0, SEEK_CUR);
        seekable = base >= 0 && flags >= 0 && !(flags & O_APPEND);
        if (!seekable) base = 0;
    }
    static Sink& of(void* user) { return *static_cast<Sink*>(user); }

    static sf_count_t length(void* user) {
        Sink& sink = of(user);
        struct stat st {};
        if (!sink.seekable || ::fstat(sink.out.fd(), &st) != 0) return sink.written;
        return std::max<sf_count_t>(st.st_size - sink.base, sink.written);
    }
    static sf_count_t seek(sf_count_t offset, int whence, void* user) {
        Sink& sink = of(user);
        const sf_count_t to = whence == SEEK_SET   ? offset
                              : whence == SEEK_CUR ? sink.position + offset
                                                   : length(user) + offset;
        if (to == sink.position) return to;
        if (!sink.seekable || to < 0 || ::lseek(sink.out.fd(), sink.base + to, SEEK_SET) < 0)
            return -1;
        return sink.position = to;
    }
    static sf_count_t read(void* ptr, sf_count_t count, void* user) {
        Sink& sink = of(user);
        if (!sink.seekable) return 0;
        const ssize_t n = ::read(sink.out.fd(), ptr, static_cast<std::size_t>(count));
        if (n <= 0) return 0;
        sink.position += n;
        return n;
    }
    static sf_count_t write(const void* ptr, sf_count_t count, void* user) {
        Sink& sink = of(user);
        if (!sink.failure.empty()) return 0;
        std::string_view bytes(static_cast<const char*>(ptr), static_cast<std::size_t>(count));
        // The MP3 encoder begins with an empty frame for a summary it writes over at the end;
        // where it cannot go back, the stream goes without it, as a pipe's always did.
        if (sink.mp3 && !sink.seekable && sink.position == 0)
            bytes.remove_prefix(blank_frame_length(bytes));
        if (!sink.out.write(bytes, sink.failure)) return 0;
        sink.position += count;
        sink.written = std::max(sink.written, sink.position);
        return count;
    }
    static sf_count_t tell(void* user) { return of(user).position; }
};

AudioFileWriter::AudioFileWriter() = default;

AudioFileWriter::~AudioFileWriter() {
    if (file_) sf_close(file_);
}

// libsndfile's message for error number `number`, or `otherwise`: it prints to standard
// output when asked for a negative one.
std::string AudioFileWriter::failure(int number, const char* otherwise) const {
    if (sink_ && !sink_->failure.empty()) return sink_->failure;
    return number > 0 ? reason(sf_error_number(number)) : otherwise;
}

bool AudioFileWriter::open(OutputFile& out, Format format, int rate, Bits bits, double quality,
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
    sink_ = std::make_unique<Sink>(out);
    sink_->mp3 = format == Format::Mp3;
    static SF_VIRTUAL_IO io{Sink::length, Sink::seek, Sink::read, Sink::write, Sink::tell};
    file_ = sf_open_virtual(&io, SFM_WRITE, &info, sink_.get());
    if (!file_) {
        error = failure(sf_error(nullptr), "the encoder could not start");
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
            error = failure(sf_error(file_), "the encoder refused its quality");
            return false;
        }
    }
    return true;
}

bool AudioFileWriter::write(const float* interleaved, long frames, std::string& error) {
    if (frames <= 0) return true;
    if (sf_writef_float(file_, interleaved, frames) != frames || !sink_->failure.empty()) {
        error = failure(sf_error(file_), "the encoder failed");
        return false;
    }
    return true;
}

bool AudioFileWriter::finish(std::string& error) {
    const int rc = sf_close(file_);
    file_ = nullptr;
    if (rc != 0 || !sink_->failure.empty()) {
        error = failure(rc, "the encoder could not finish");
        return false;
    }
    return true;
}

}  // namespace qv

#pragma once

// Reads the recordings of the end-to-end tests: 16-bit or float WAV, as parecord and the
// renderer write them.
#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace qv::e2e {

struct Recording {
    double rate = 0.0;
    std::vector<std::vector<float>> channels;
};

// An empty recording when the file is not a WAV file of those formats.
inline Recording read_wav(const char* path) {
    std::ifstream in(path, std::ios::binary);
    const std::vector<char> file{std::istreambuf_iterator<char>(in), {}};
    auto u16 = [&](std::size_t at) {
        return static_cast<unsigned>(static_cast<unsigned char>(file[at]) |
                                     static_cast<unsigned char>(file[at + 1]) << 8);
    };
    auto u32 = [&](std::size_t at) { return u16(at) | u16(at + 2) << 16; };
    if (file.size() < 12 || std::memcmp(file.data(), "RIFF", 4) != 0 ||
        std::memcmp(&file[8], "WAVE", 4) != 0)
        return {};
    unsigned format = 0, channels = 0, bits = 0, rate = 0;
    for (std::size_t at = 12; at + 8 <= file.size();) {
        const std::size_t size = u32(at + 4);
        const std::size_t body = at + 8;
        if (std::memcmp(&file[at], "fmt ", 4) == 0 && body + 16 <= file.size()) {
            format = u16(body);
            channels = u16(body + 2);
            rate = u32(body + 4);
            bits = u16(body + 14);
            if (format == 0xFFFE && size >= 26) format = u16(body + 24);  // WAVE_FORMAT_EXTENSIBLE
        } else if (std::memcmp(&file[at], "data", 4) == 0 && channels > 0) {
            // A recorder stopped by a signal may leave the data size open.
            const std::size_t end = size == 0 || size == 0xFFFFFFFF || body + size > file.size()
                                        ? file.size()
                                        : body + size;
            std::vector<std::vector<float>> out(channels);
            const std::size_t width = bits / 8;
            for (std::size_t p = body; p + width * channels <= end; p += width * channels) {
                for (unsigned c = 0; c < channels; ++c) {
                    const std::size_t s = p + c * width;
                    if (format == 1 && bits == 16) {
                        out[c].push_back(static_cast<float>(static_cast<std::int16_t>(u16(s))) /
                                         32768.0f);
                    } else if (format == 3 && bits == 32) {
                        float v;
                        std::memcpy(&v, &file[s], 4);
                        out[c].push_back(v);
                    } else {
                        return {};
                    }
                }
            }
            return {static_cast<double>(rate), out};
        }
        at = body + size + (size & 1);
    }
    return {};
}

}  // namespace qv::e2e

// The pitch and level of one channel of a recording over time, for the end-to-end scripts:
//
//   quorvane_tone_track WAV CHANNEL WINDOW
//
// prints one line per WINDOW seconds of channel CHANNEL (1 = left, 2 = right):
// "START HZ DB STEP", the window's start in seconds, its tone in Hz (0 where there is no
// steady tone), its RMS level in dB below full scale and its largest step from one sample
// to the next (into the window) in 16-bit steps, where a click shows. The scripts judge
// the lines.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

double median(std::vector<double> v) {
    std::nth_element(v.begin(), v.begin() + static_cast<long>(v.size() / 2), v.end());
    return v[v.size() / 2];
}

// The tone from the periods between rising zero crossings: the mean of those near their
// median, so that a lost buffer or a rewritten one in the window does not bend it.
double tone(const std::vector<float>& x, std::size_t begin, std::size_t end, double rate) {
    std::vector<double> periods;
    double last = -1.0;
    double peak = 0.0;
    for (std::size_t i = begin + 1; i < end; ++i) {
        peak = std::max(peak, static_cast<double>(std::abs(x[i])));
        if (x[i - 1] < 0.0f && x[i] >= 0.0f) {
            const double t = static_cast<double>(i - 1) + x[i - 1] / (x[i - 1] - x[i]);
            if (last >= 0.0 && peak > 0.01) periods.push_back(t - last);
            last = t;
            peak = 0.0;
        }
    }
    if (periods.size() < 5) return 0.0;
    const double typical = median(periods);
    double sum = 0.0;
    int count = 0;
    for (double p : periods) {
        if (std::abs(p / typical - 1.0) < 0.01) {
            sum += p;
            ++count;
        }
    }
    // Most periods must agree, or the window holds a change of tone or noise.
    if (count * 2 < static_cast<int>(periods.size())) return 0.0;
    return rate * count / sum;
}

double level_db(const std::vector<float>& x, std::size_t begin, std::size_t end) {
    double sum = 0.0;
    for (std::size_t i = begin; i < end; ++i) sum += static_cast<double>(x[i]) * x[i];
    const double rms = std::sqrt(sum / static_cast<double>(end - begin));
    return rms > 1e-6 ? 20.0 * std::log10(rms) : -120.0;
}

double largest_step(const std::vector<float>& x, std::size_t begin, std::size_t end) {
    double most = 0.0;
    for (std::size_t i = std::max<std::size_t>(begin, 1); i < end; ++i) {
        most = std::max(most, std::abs(static_cast<double>(x[i]) - x[i - 1]));
    }
    return most * 32768.0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s WAV CHANNEL WINDOW_SECONDS\n", argv[0]);
        return 2;
    }
    SF_INFO info{};
    SNDFILE* file = sf_open(argv[1], SFM_READ, &info);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", argv[1], sf_strerror(nullptr));
        return 1;
    }
    std::vector<float> frames(static_cast<std::size_t>(info.frames * info.channels));
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    const long channel = std::strtol(argv[2], nullptr, 10);
    const double window = std::atof(argv[3]);
    if (channel < 1 || channel > info.channels) {
        std::fprintf(stderr, "%s: no channel %s in it\n", argv[1], argv[2]);
        return 1;
    }
    std::vector<float> x(static_cast<std::size_t>(info.frames));
    for (std::size_t i = 0; i < x.size(); ++i) {
        x[i] = frames[i * static_cast<std::size_t>(info.channels) +
                      static_cast<std::size_t>(channel - 1)];
    }
    const double rate = info.samplerate;
    const auto step = static_cast<std::size_t>(window * rate);
    if (step < 16) {
        std::fprintf(stderr, "window too short\n");
        return 2;
    }
    for (std::size_t begin = 0; begin + step <= x.size(); begin += step) {
        std::printf("%.3f %.3f %.1f %.0f\n", static_cast<double>(begin) / rate,
                    tone(x, begin, begin + step, rate), level_db(x, begin, begin + step),
                    largest_step(x, begin, begin + step));
    }
    return 0;
}

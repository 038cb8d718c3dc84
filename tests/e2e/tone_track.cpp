// Two measures of recordings for the end-to-end scripts, which judge the lines printed.
//
//   quorvane_tone_track WAV CHANNEL WINDOW
//
// prints one line per WINDOW seconds of channel CHANNEL (1 = left, 2 = right):
// "START HZ DB STEP", the window's start in seconds, its tone in Hz (0 where there is no
// steady tone), its RMS level in dB below full scale and its largest step from one sample
// to the next (into the window) in 16-bit steps, where a click shows.
//
//   quorvane_tone_track --compare CAPTURE RENDER WINDOW
//
// finds where the stereo RENDER lies in CAPTURE, a recording of a player playing it with
// silence around, prints "lag SECONDS" and then one line per WINDOW seconds of the render:
// "START RENDER_DB RESIDUAL_DB", the render's level and that of the capture minus the render,
// both channels, in dB full scale (-120 for silence). Capture missing at the end counts as 0.
#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

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
    std::vector<double> sorted = periods;
    const auto middle = sorted.begin() + static_cast<long>(sorted.size() / 2);
    std::nth_element(sorted.begin(), middle, sorted.end());
    const double typical = *middle;
    double sum = 0.0;
    int count = 0;
    for (double p : periods)
        if (std::abs(p / typical - 1.0) < 0.01) sum += p, ++count;
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
    for (std::size_t i = std::max<std::size_t>(begin, 1); i < end; ++i)
        most = std::max(most, std::abs(static_cast<double>(x[i]) - x[i - 1]));
    return most * 32768.0;
}

bool load(const char* path, SF_INFO& info, std::vector<float>& frames) {
    SNDFILE* file = sf_open(path, SFM_READ, &info);
    if (!file) {
        std::fprintf(stderr, "%s: %s\n", path, sf_strerror(nullptr));
        return false;
    }
    frames.assign(static_cast<std::size_t>(info.frames * info.channels), 0.0f);
    sf_readf_float(file, frames.data(), info.frames);
    sf_close(file);
    return true;
}

// RMS of consecutive blocks of interleaved stereo, both channels together.
std::vector<float> envelope(const std::vector<float>& x, std::size_t block) {
    std::vector<float> e(x.size() / 2 / block);
    for (std::size_t i = 0; i < e.size() * 2 * block; ++i) e[i / 2 / block] += x[i] * x[i];
    for (float& v : e) v = std::sqrt(v / static_cast<float>(2 * block));
    return e;
}

// The shift in [from, to] (in steps of `stride` values) at which `part` best matches `whole`.
// The correlation is taken over the energy of `whole` under `part`, so that a louder stretch
// elsewhere does not win on size alone; at the true shift it reaches its greatest possible.
std::size_t best_shift(const std::vector<float>& whole, const std::vector<float>& part,
                       std::size_t from, std::size_t to, std::size_t stride) {
    std::size_t best = from;
    double best_score = -1e300;
    for (std::size_t shift = from; shift <= to; ++shift) {
        const float* w = whole.data() + shift * stride;
        double dot = 0.0, energy = 1e-30;
        for (std::size_t i = 0; i < part.size(); ++i) {
            dot += static_cast<double>(w[i]) * part[i];
            energy += static_cast<double>(w[i]) * w[i];
        }
        const double score = dot / std::sqrt(energy);
        if (score > best_score) best_score = score, best = shift;
    }
    return best;
}

int compare(char** argv) {
    SF_INFO capture_info{}, render_info{};
    std::vector<float> capture, render;
    if (!load(argv[2], capture_info, capture) || !load(argv[3], render_info, render)) return 1;
    if (capture_info.channels != 2 || render_info.channels != 2 ||
        capture_info.samplerate != render_info.samplerate) {
        std::fprintf(stderr,
                     "%s (%d channels at %d Hz) and %s (%d at %d Hz) are not alike stereo\n",
                     argv[2], capture_info.channels, capture_info.samplerate, argv[3],
                     render_info.channels, render_info.samplerate);
        return 2;
    }
    const double rate = render_info.samplerate;
    const auto step = static_cast<std::size_t>(std::atof(argv[4]) * rate);
    if (step < 1) {
        std::fprintf(stderr, "window too short\n");
        return 2;
    }
    // A capture cut short is compared from its start, the missing end as silence.
    if (capture.size() < render.size()) capture.resize(render.size(), 0.0f);
    const std::size_t frames = render.size() / 2, most = capture.size() / 2 - frames;
    // A steady tone matches itself every period, so the envelopes' shape finds the lag to a
    // block and the samples only refine it.
    const auto block = static_cast<std::size_t>(rate / 200), reach = 2 * block;
    const std::size_t coarse =
        block * best_shift(envelope(capture, block), envelope(render, block), 0,
                           capture.size() / 2 / block - frames / block, 1);
    const std::size_t lag = best_shift(capture, render, coarse > reach ? coarse - reach : 0,
                                       std::min(most, coarse + reach), 2);
    std::printf("lag %.6f\n", static_cast<double>(lag) / rate);
    std::vector<float> residual(render.size());
    for (std::size_t i = 0; i < render.size(); ++i) residual[i] = capture[2 * lag + i] - render[i];
    for (std::size_t begin = 0; begin < frames; begin += step) {
        const std::size_t end = std::min(begin + step, frames);
        std::printf("%.3f %.1f %.1f\n", static_cast<double>(begin) / rate,
                    level_db(render, 2 * begin, 2 * end), level_db(residual, 2 * begin, 2 * end));
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 5 && std::strcmp(argv[1], "--compare") == 0) return compare(argv);
    if (argc != 4) {
        std::fprintf(stderr,
                     "usage: %s WAV CHANNEL WINDOW_SECONDS\n"
                     "       %s --compare CAPTURE RENDER WINDOW_SECONDS\n",
                     argv[0], argv[0]);
        return 2;
    }
    SF_INFO info{};
    std::vector<float> frames;
    if (!load(argv[1], info, frames)) return 1;
    const long channel = std::strtol(argv[2], nullptr, 10);
    const double window = std::atof(argv[3]);
    if (channel < 1 || channel > info.channels) {
        std::fprintf(stderr, "%s: no channel %s in it\n", argv[1], argv[2]);
        return 1;
    }
    std::vector<float> x(static_cast<std::size_t>(info.frames));
    for (std::size_t i = 0; i < x.size(); ++i)
        x[i] = frames[i * static_cast<std::size_t>(info.channels) +
                      static_cast<std::size_t>(channel - 1)];
    const double rate = info.samplerate;
    const auto step = static_cast<std::size_t>(window * rate);
    if (step < 16) {
        std::fprintf(stderr, "window too short\n");
        return 2;
    }
    for (std::size_t begin = 0; begin + step <= x.size(); begin += step)
        std::printf("%.3f %.3f %.1f %.0f\n", static_cast<double>(begin) / rate,
                    tone(x, begin, begin + step, rate), level_db(x, begin, begin + step),
                    largest_step(x, begin, begin + step));
    return 0;
}

#include "audio/LoopKernel.h"

#include <cmath>
#include <numbers>

namespace qv {
namespace {

double bessel_i0(double x) {
    double sum = 1.0;
    double term = 1.0;
    for (int k = 1; k < 64; ++k) {
        const double half = x / (2.0 * k);
        term *= half * half;
        sum += term;
        if (term < sum * 1e-17) break;
    }
    return sum;
}

// A sinc with its first zero at 1 / (2 * cutoff) samples, under a Kaiser window `taps`
// samples wide. `beta` trades stopband depth against transition width.
double windowed_sinc(double t, int taps, double beta, double cutoff) {
    const double x = t / (taps / 2.0);
    if (std::abs(x) >= 1.0) return 0.0;
    const double window = bessel_i0(beta * std::sqrt(1.0 - x * x)) / bessel_i0(beta);
    const double u = 2.0 * cutoff * t;
    // Exact zeros at whole multiples, so the loop's own samples pass unchanged.
    if (u != 0.0 && u == std::round(u)) return 0.0;
    const double sinc = u == 0.0 ? 1.0 : std::sin(std::numbers::pi * u) / (std::numbers::pi * u);
    return 2.0 * cutoff * sinc * window;
}

// The long kernel: cutoff at half the loop's rate, stopband from 0.6 of it.
double fill_kernel(double t) {
    return windowed_sinc(t, LoopKernel::kTaps, 9.8, 0.5);
}

// The short kernel, in samples of the dense loop: it keeps up to 0.15 of that rate
// (0.6 of the loop's) and removes the images from 0.85 of it on.
double read_kernel(double t) {
    return windowed_sinc(t, LoopKernel::kReadTaps, 10.0, 0.46);
}

// Taps at phase `phase` of a sample, scaled to sum to 1: a constant loop stays constant.
template <int Taps, class Kernel>
std::array<double, Taps> taps_at(double phase, Kernel kernel) {
    std::array<double, Taps> taps{};
    double sum = 0.0;
    for (int j = 0; j < Taps; ++j) {
        taps[static_cast<std::size_t>(j)] = kernel(phase + (Taps / 2 - 1) - j);
        sum += taps[static_cast<std::size_t>(j)];
    }
    for (double& tap : taps) tap /= sum;
    return taps;
}

}  // namespace

const LoopKernel& LoopKernel::instance() {
    static const LoopKernel kernel;
    return kernel;
}

LoopKernel::LoopKernel() {
    for (int q = 0; q < kOversampling; ++q) {
        const auto taps = taps_at<kTaps>(static_cast<double>(q) / kOversampling, fill_kernel);
        for (int j = 0; j < kTaps; ++j) {
            fill_rows_[static_cast<std::size_t>(q)][static_cast<std::size_t>(j)] =
                static_cast<float>(taps[static_cast<std::size_t>(j)]);
        }
    }
    for (int p = 0; p < kReadPhases; ++p) {
        const auto here = taps_at<kReadTaps>(static_cast<double>(p) / kReadPhases, read_kernel);
        const auto next = taps_at<kReadTaps>(static_cast<double>(p + 1) / kReadPhases, read_kernel);
        float* row = &read_rows_[static_cast<std::size_t>(p) * 2 * kReadTaps];
        for (std::size_t j = 0; j < kReadTaps; ++j) {
            row[j] = static_cast<float>(here[j]);
            row[kReadTaps + j] = static_cast<float>(next[j] - here[j]);
        }
    }
    for (std::size_t i = 0; i < curve_.size(); ++i) {
        curve_[i] =
            static_cast<float>(fill_kernel(static_cast<double>(i) / kCurvePhases - kTaps / 2.0));
    }
}

float LoopKernel::at(double distance) const {
    const double index = (distance + kTaps / 2.0) * kCurvePhases;
    if (index <= 0.0 || index >= static_cast<double>(curve_.size() - 1)) return 0.0f;
    const auto i = static_cast<std::size_t>(index);
    const auto w = static_cast<float>(index - static_cast<double>(i));
    return curve_[i] + w * (curve_[i + 1] - curve_[i]);
}

}  // namespace qv

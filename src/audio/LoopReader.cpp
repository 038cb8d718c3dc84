#include "audio/LoopReader.h"

#include <cmath>
#include <cstring>

// Eight-lane vectors pass between functions of this file only: the note that their ABI
// differs between machines with and without AVX does not concern us.
#pragma GCC diagnostic ignored "-Wpsabi"

namespace qv {
namespace {

constexpr int kTaps = LoopKernel::kTaps;
constexpr int kReadTaps = LoopKernel::kReadTaps;
constexpr int kFractionBits = LoopReader::kFractionBits;
constexpr std::uint64_t kLoopEnd = LoopReader::kLoopEnd;

// Positions in the dense loop: the loop position times four.
constexpr int kDenseShift = 2;
static_assert(LoopKernel::kOversampling == 1 << kDenseShift);
// The top bits of a fraction pick the kernel phase, the rest weigh the next phase in.
constexpr int kPhaseShift = kFractionBits - 6;
static_assert(LoopKernel::kReadPhases == 1 << 6);
constexpr std::uint32_t kWeightMask = (1u << kPhaseShift) - 1;
constexpr float kWeightScale = 1.0f / static_cast<float>(1u << kPhaseShift);

// The hot loops are built twice, so that machines with AVX2 use them. Not under the
// sanitizers: the loader picks the copy before their run-time is up, and they would trip.
// Not with clang either, which refuses the eight-float helpers inside a cloned function
// (and builds only the sanitizer and fuzz runs here).
#if defined(__SANITIZE_THREAD__) || defined(__SANITIZE_ADDRESS__) || defined(__clang__)
#define QV_WITH_AVX2
#else
#define QV_WITH_AVX2 __attribute__((target_clones("avx2", "default")))
#endif

// Eight lanes, always summed in the same order, so that the numbers do not depend on the
// vector width the machine offers (a rendered file is the same everywhere) nor on how a
// block is cut into groups.
using Lanes = float __attribute__((vector_size(32)));
static_assert(kReadTaps == 8);

Lanes lanes_at(const float* p) {
    Lanes v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

float lane_sum(Lanes a) {
    return ((a[0] + a[1]) + (a[2] + a[3])) + ((a[4] + a[5]) + (a[6] + a[7]));
}

// Neighbouring lanes of a and b added: a0+a1, a2+a3, b0+b1, b2+b3, a4+a5, a6+a7, b4+b5, b6+b7.
Lanes pair_sums(Lanes a, Lanes b) {
    return __builtin_shufflevector(a, b, 0, 2, 8, 10, 4, 6, 12, 14) +
           __builtin_shufflevector(a, b, 1, 3, 9, 11, 5, 7, 13, 15);
}

// The dense loop from the loop: point q of every four is the long kernel's phase q / 4
// (phase 0 gives the loop's own sample back exactly).
QV_WITH_AVX2 void fill_dense(const float* loop, float* dense) {
    const LoopKernel& kernel = LoopKernel::instance();
    static_assert(LoopKernel::kOversampling == 4 && kTaps % 8 == 0);
    for (int n = 0; n < kLoopLength; ++n) {
        Lanes s0{};
        Lanes s1{};
        Lanes s2{};
        Lanes s3{};
        for (int j = 0; j < kTaps; j += 8) {
            const Lanes x = lanes_at(loop + n + j);
            s0 += x * lanes_at(kernel.fill_row(0) + j);
            s1 += x * lanes_at(kernel.fill_row(1) + j);
            s2 += x * lanes_at(kernel.fill_row(2) + j);
            s3 += x * lanes_at(kernel.fill_row(3) + j);
        }
        const Lanes halves = pair_sums(pair_sums(s0, s1), pair_sums(s2, s3));
        for (int q = 0; q < 4; ++q) dense[4 * n + q] = halves[q] + halves[q + 4];
    }
}

// One output's taps times the dense loop samples around it, not yet summed.
inline Lanes products(const float* dense, const LoopKernel& kernel, std::uint64_t position) {
    const std::uint64_t at = position << kDenseShift;
    const auto fraction = static_cast<std::uint32_t>(at);
    const float* row = kernel.read_row(static_cast<int>(fraction >> kPhaseShift));
    const float w = static_cast<float>(fraction & kWeightMask) * kWeightScale;
    return lanes_at(dense + (at >> kFractionBits)) *
           (lanes_at(row) + lanes_at(row + kReadTaps) * w);
}

inline std::uint64_t advance(std::uint64_t position, std::uint64_t step) {
    position += step;
    return position >= kLoopEnd ? position - kLoopEnd : position;
}

// The hot loop of the mixer.
QV_WITH_AVX2 std::uint64_t read_dense_loop(const float* dense, std::uint64_t position,
                                           std::uint64_t step, float* out, std::size_t count) {
    const LoopKernel& kernel = LoopKernel::instance();
    std::size_t i = 0;
    for (; i + 4 <= count; i += 4) {
        const Lanes a = products(dense, kernel, position);
        position = advance(position, step);
        const Lanes b = products(dense, kernel, position);
        position = advance(position, step);
        const Lanes c = products(dense, kernel, position);
        position = advance(position, step);
        const Lanes d = products(dense, kernel, position);
        position = advance(position, step);
        // Lanes 0..3 and 4..7 now hold the half sums of a, b, c, d.
        const Lanes halves = pair_sums(pair_sums(a, b), pair_sums(c, d));
        for (int k = 0; k < 4; ++k)
            out[i + static_cast<std::size_t>(k)] = halves[k] + halves[k + 4];
    }
    for (; i < count; ++i) {
        out[i] = lane_sum(products(dense, kernel, position));
        position = advance(position, step);
    }
    return position;
}

}  // namespace

void LoopReader::load(const std::array<std::uint8_t, kLoopLength>& bytes) {
    if (loaded_ && bytes == bytes_) return;
    loaded_ = true;
    bytes_ = bytes;

    // Byte b is (b - 127) / 128, so the rest level 127 is silence.
    for (std::size_t i = 0; i < loop_.size(); ++i) {
        const std::size_t n = (i + kLoopLength - kLead) % kLoopLength;
        loop_[i] = (static_cast<float>(bytes[n]) - 127.0f) / 128.0f;
    }

    float* dense = dense_.data() + kDenseLead;
    fill_dense(loop_.data(), dense);
    for (int i = 0; i < kDenseLead; ++i)
        dense_[static_cast<std::size_t>(i)] = dense[kDenseLength - kDenseLead + i];
    for (std::size_t i = kDenseLead + kDenseLength; i < dense_.size(); ++i) {
        dense_[i] = dense_[i - kDenseLength];
    }
}

void LoopReader::read(std::uint64_t step, double scale, float* out, std::size_t count) {
    if (scale < 1.0) {
        read_stretched(step, scale, out, count);
    } else {
        position_ = read_dense_loop(dense_.data(), position_, step, out, count);
    }
}

void LoopReader::read_stretched(std::uint64_t step, double scale, float* out, std::size_t count) {
    const LoopKernel& kernel = LoopKernel::instance();
    const double reach = kTaps / 2.0 / scale;
    for (std::size_t i = 0; i < count; ++i) {
        const double t = std::ldexp(static_cast<double>(position_), -kFractionBits);
        const auto first = static_cast<long>(std::floor(t - reach)) + 1;
        const auto last = static_cast<long>(std::floor(t + reach));
        double sum = 0.0;
        double weight = 0.0;
        for (long m = first; m <= last; ++m) {
            const double c = kernel.at((t - static_cast<double>(m)) * scale);
            const long n = ((m % kLoopLength) + kLoopLength) % kLoopLength;
            sum += c * loop_[static_cast<std::size_t>(n + kLead)];
            weight += c;
        }
        out[i] = static_cast<float>(sum / weight);
        position_ = advance(position_, step);
    }
}

}  // namespace qv

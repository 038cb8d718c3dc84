#pragma once

#include <array>

namespace qv {

// The angle index table: entry i holds i as a 32-bit float. The waveform synthesis
// multiplies its per-sample angle steps by entries 0..179.
using NTableArray = std::array<float, 360>;

inline void BuildNTable(NTableArray& table) {
    for (std::size_t i = 0; i < table.size(); ++i) table[i] = static_cast<float>(i);
}

}  // namespace qv

#pragma once

#include "params/Panel.h"

namespace qv {

// Ties each slider of the panel to its text box: a change of either is told to the panel,
// which carries it over to the other.
inline void couple(Panel& panel) {
    for (int k = 0; k < params::kCount; ++k) {
        const bool vertical = k < params::kVerticalCount;
        panel.bar(k).on_change = [&panel, k, vertical] {
            vertical ? panel.sc_Change(k) : panel.hsc_Change(k);
        };
        panel.tx(k).on_change = [&panel, k] { panel.tx_Change(k); };
    }
}

}  // namespace qv

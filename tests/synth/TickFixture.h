#pragma once

#include <string>

#include "../audio/ToneTestSupport.h"
#include "../timeline/FormFixture.h"

namespace qv::test {

// What the synthesis ticks asked of the tone output: the calls in order ("V" volume, "F0"
// rate of channel 0, "P1" pan, "W0" write...) and the last value of each.
struct ToneRecorder : ToneOutputObserver {
    std::string calls;
    std::int32_t volume = 0, rate[2]{}, pan[2]{};
    void volume_set(std::int32_t v) override { calls += "V ", volume = v; }
    void frequency_set(int c, std::int32_t hz) override {
        calls += "F" + std::to_string(c) + " ", rate[c] = hz;
    }
    void pan_set(int c, std::int32_t p) override {
        calls += "P" + std::to_string(c) + " ", pan[c] = p;
    }
    void channel_written(int c, const SampleArray&) override {
        calls += "W" + std::to_string(c) + " ";
    }
};

// A started main form whose synthesis runs only when the clock moves.
class TickTest : public qv::testing::FormFixture {
protected:
    TickTest() { tone.observer = &recorder; }
    ~TickTest() override { tone.observer = nullptr; }

    // Lets `n` periods of Timer1 pass; the recorder's call list keeps only what they sent.
    void tick(int n = 1) {
        recorder.calls.clear();
        clock.advance(25 * n);
    }
    ScrollBar& sc(int k) { return form.panel.sc(k); }
    ScrollBar& hsc(int k) { return form.panel.hsc(k); }
    TextBox& tx(int k) { return form.panel.tx(k); }
    CheckBox& ck(int i) { return form.panel.ck(i); }
    // The value a view plotted at sample index i (points sit at v + 127).
    static float plotted(const PictureBox& view, int i) {
        return view.ops().at(std::size_t(i)).y1 - 127.0f;
    }

    ToneRecorder recorder;
};

}  // namespace qv::test

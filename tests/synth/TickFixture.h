#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "app/MainForm.h"
#include "controls/VirtualClock.h"

namespace qv::test {

// Everything the program asked of the tone output, in order.
struct ToneCall {
    enum class Kind { Volume, Frequency, Pan, Write } kind;
    int channel;  // -1 for the master volume
    std::int32_t value;
    SampleArray samples;
};

class ToneRecorder : public ToneOutputObserver {
public:
    std::vector<ToneCall> calls;

    void volume_set(std::int32_t v) override {
        calls.push_back({ToneCall::Kind::Volume, -1, v, {}});
    }
    void frequency_set(int ch, std::int32_t hz) override {
        calls.push_back({ToneCall::Kind::Frequency, ch, hz, {}});
    }
    void pan_set(int ch, std::int32_t pan) override {
        calls.push_back({ToneCall::Kind::Pan, ch, pan, {}});
    }
    void channel_written(int ch, const SampleArray& s) override {
        calls.push_back({ToneCall::Kind::Write, ch, 0, s});
    }

    // The last value of that kind sent to that channel during the recorded ticks.
    std::optional<ToneCall> last(ToneCall::Kind kind, int channel) const {
        for (auto it = calls.rbegin(); it != calls.rend(); ++it) {
            if (it->kind == kind && it->channel == channel) return *it;
        }
        return std::nullopt;
    }
};

// A started main form on a virtual clock: the synthesis runs only when the clock moves.
class TickTest : public ::testing::Test {
protected:
    void SetUp() override {
        tone.observer = &recorder;
        ASSERT_TRUE(form.Form_Load());
    }

    // Lets `n` periods of Timer1 pass; the recorder keeps only what they sent.
    void tick(int n = 1) {
        recorder.calls.clear();
        clock.advance(25 * n);
    }

    std::int32_t volume() const { return recorder.last(ToneCall::Kind::Volume, -1).value().value; }
    std::int32_t frequency(int ch) const {
        return recorder.last(ToneCall::Kind::Frequency, ch).value().value;
    }
    std::int32_t pan(int ch) const { return recorder.last(ToneCall::Kind::Pan, ch).value().value; }
    SampleArray written(int ch) const {
        return recorder.last(ToneCall::Kind::Write, ch).value().samples;
    }

    ScrollBar& sc(int k) { return form.panel.sc(k); }
    ScrollBar& hsc(int k) { return form.panel.hsc(k); }
    TextBox& tx(int k) { return form.panel.tx(k); }
    CheckBox& ck(int i) { return form.panel.ck(i); }

    // The value a view plotted at sample index i (points sit at v + 127).
    static float plotted(const PictureBox& view, int i) {
        return view.ops().at(static_cast<std::size_t>(i)).y1 - 127.0f;
    }

    VirtualClock clock;
    modSynth_DX7 tone;
    ToneRecorder recorder;
    MainForm form{clock, tone};
};

}  // namespace qv::test

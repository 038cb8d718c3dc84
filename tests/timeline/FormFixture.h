#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <iomanip>
#include <sstream>

#include "app/MainForm.h"
#include "controls/VirtualClock.h"
#include "params/Numbers.h"

namespace qv::testing {

// A folder of its own for each test, removed afterwards.
struct TempDir {
    std::string name = (std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string();
    const std::filesystem::path made = mkdtemp(name.data());
    std::error_code ignored;
    ~TempDir() { std::filesystem::remove_all(made, ignored); }
    const std::filesystem::path& path() const { return made; }
};

using Values = std::vector<std::pair<P::Id, int>>;

// A keyframe entry as a setup file holds it: the parameters at the values the window opens
// with but those given (or all at `all`), then the switches' digits.
inline std::string entry(int second, const Values& values = {}, const char* switches = "0000",
                         int all = -1) {
    std::string e = numbers::format_000(second);
    for (const params::Param& p : params::kParams) {
        int v = all < 0 ? p.value : std::min(all, p.max);
        for (auto [k, value] : values) v = k == p.id ? value : v;
        e += numbers::format_000(v);
    }
    return e + switches;
}
inline std::string entry(int second, int all, const char* switches = "0000") {
    return entry(second, {}, switches, all);
}

// A started main form on a virtual clock with the stand-in tone output, working in a
// temporary folder; reports are collected instead of shown.
class FormFixture : public ::testing::Test {
protected:
    // A plain 0..100 parameter that neither a modulator nor the synthesis tick writes.
    static constexpr P::Id kPlain = P::RightPhase1;

    FormFixture() {
        form.on_report = [this](const std::string& m) { reports.push_back(m); };
        form.Form_Load();
    }
    // Set Key at `second` with every text at `value`, or at the parameter's largest where it
    // is less.
    void key_at(int second, int value) {
        for (const params::Param& p : params::kParams)
            form.panel.tx(p.id).set_text(std::to_string(std::min(value, p.max)));
        form.time.set_value(second);
        form.setkey.click();
    }
    // Moves the given sliders, which must take the values.
    void set(const Values& values) {
        for (auto [k, v] : values) EXPECT_TRUE(form.panel.bar(k).set_value(v)) << k << " " << v;
    }
    int slider(P::Id k) { return form.panel.bar(k).value(); }
    const std::string& text(P::Id k) { return form.panel.tx(k).text(); }
    // Transport ticks come every 100 ms from the moment Play was pressed.
    void ticks(int n) { clock.advance(100 * n); }
    // The time line as the window shows it: the cursor's second, Text2, the play time, the
    // plain parameter's text, then "run" while the transport runs, "session" while a
    // session does and "held" while Play is disabled.
    std::string shown() {
        std::ostringstream s;
        s << std::setprecision(8) << form.time.value() << " '" << form.Text2.text() << "' "
          << form.timeline().playtime() << " " << text(kPlain)
          << (form.Timer2.enabled() ? " run" : "")
          << (form.sessionPlayer().running() ? " session" : "")
          << (form.play.enabled() ? "" : " held");
        return s.str();
    }

    // A file of these lines, each ended with CR LF.
    void write(const std::string& name, const std::vector<std::string>& lines) {
        std::ofstream out(dir.path() / name, std::ios::binary);
        for (const auto& l : lines) out << l << "\r\n";
    }
    std::string read_file(const std::string& name) {
        std::ifstream in(dir.path() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }

    TempDir dir;
    VirtualClock clock;
    modSynth_DX7 tone;
    MainForm form{clock, tone, dir.path()};
    std::vector<std::string> reports;
};

}  // namespace qv::testing

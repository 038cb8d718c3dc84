#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app/MainForm.h"
#include "controls/VirtualClock.h"
#include "params/ParamTable.h"

namespace qv::testing {

// A folder of its own for each test, removed afterwards.
class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvane-test-XXXXXX").string();
        path_ = mkdtemp(pattern.data());
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }

  private:
    std::filesystem::path path_;
};

// A started main form on a virtual clock with the stand-in tone output, working in a
// temporary folder; reports are collected instead of shown.
class FormFixture : public ::testing::Test {
  protected:
    FormFixture() {
        form.on_report = [this](const std::string& m) { reports.push_back(m); };
        form.Form_Load();
    }

    // Types `value` into every parameter text, moves the cursor and presses Set Key.
    void key_at(int second, const std::string& value) {
        for (int k = 0; k < params::kCount; ++k) form.panel.tx(k).set_text(value);
        form.time.set_value(second);
        form.setkey.click();
    }
    void key_at(int second, int value) { key_at(second, std::to_string(value)); }

    // Transport ticks come every 100 ms from the moment Play was pressed.
    void ticks(int n) { clock.advance(100 * n); }

    const std::string& text(int k) { return form.panel.tx(k).text(); }

    TempDir dir;
    VirtualClock clock;
    modSynth_DX7 tone;
    MainForm form{clock, tone, dir.path()};
    std::vector<std::string> reports;
};

}  // namespace qv::testing

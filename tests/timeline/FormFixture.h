#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
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

// A keyframe entry as a setup file holds it: every parameter at `value`, switches off.
inline std::string entry(int second, int value) {
    auto three = [](int v) {
        char field[16];
        std::snprintf(field, sizeof field, "%03d", v);
        return std::string(field);
    };
    std::string e = three(second);
    for (int k = 0; k < params::kCount; ++k) e += three(value);
    return e + "0000";
}

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

    void write_file(const std::string& name, const std::string& bytes) {
        std::ofstream(dir.path() / name, std::ios::binary) << bytes;
    }
    std::string read_file(const std::string& name) {
        std::ifstream in(dir.path() / name, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    bool exists(const std::string& name) { return std::filesystem::exists(dir.path() / name); }

    TempDir dir;
    VirtualClock clock;
    modSynth_DX7 tone;
    MainForm form{clock, tone, dir.path()};
    std::vector<std::string> reports;
};

}  // namespace qv::testing

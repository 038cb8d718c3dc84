#pragma once

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/MainForm.h"
#include "controls/VirtualClock.h"

// What the fuzz targets share. A broken expectation aborts, so that libFuzzer reports it
// like a crash and keeps the input that caused it.
#define FUZZ_CHECK(condition) \
    ((condition) ? void() : ::qv::fuzz::fail(#condition, __FILE__, __LINE__))

namespace qv::fuzz {

[[noreturn]] inline void fail(const char* what, const char* file, int line) {
    std::fprintf(stderr, "%s:%d: expectation failed: %s\n", file, line, what);
    std::abort();
}

inline std::string_view bytes_of(const unsigned char* data, std::size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// The process's own working folder under $TMPDIR, emptied for each input and removed
// when the fuzzer ends normally.
class Folder {
public:
    static Folder& fresh() {
        static Folder folder;
        std::error_code ec;
        for (const auto& entry : std::filesystem::directory_iterator(folder.path_)) {
            std::filesystem::remove_all(entry.path(), ec);
        }
        return folder;
    }
    ~Folder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }

    const std::filesystem::path& path() const { return path_; }
    void write(const std::string& name, std::string_view bytes) const {
        std::ofstream(path_ / name, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    }

private:
    Folder() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "quorvane-fuzz-XXXXXX").string();
        if (!::mkdtemp(pattern.data())) fail("mkdtemp", __FILE__, __LINE__);
        path_ = pattern;
    }
    std::filesystem::path path_;
};

// A started main form on a virtual clock, as the tests drive it: reports are collected
// instead of shown.
struct Form {
    explicit Form(const std::filesystem::path& directory = ".") : form(clock, tone, directory) {
        form.on_report = [this](const std::string& message) { reports.push_back(message); };
        FUZZ_CHECK(form.Form_Load());
    }

    VirtualClock clock;
    modSynth_DX7 tone;
    MainForm form;
    std::vector<std::string> reports;
};

}  // namespace qv::fuzz

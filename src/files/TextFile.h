#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qv {

// Whole-file reads and writes for setup and session files. A file is read completely
// before anything in the window changes, and written beside its old version first, so a
// failure never leaves the user with half a list or half a file.
struct FileResult {
    bool ok = false;
    std::string bytes;   // what was read
    std::string reason;  // why it failed, in words the user can act on
};

FileResult read_text_file(const std::filesystem::path& path);

// Writes each line followed by CR LF into a temporary file beside the file the name
// leads to and renames it over that file; on failure the old file stays whole. A name
// that leads to a device or a pipe is refused.
FileResult write_lines(const std::filesystem::path& path, const std::vector<std::string>& lines);

}  // namespace qv

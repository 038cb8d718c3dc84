#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "controls/Control.h"

namespace qv {

// Lists the regular files of a directory whose names match a pattern such as "*.qrv"
// (letter case ignored), sorted by character order. The listing is read only when
// refresh() is called; the selection gives the file name without directory.
class FileListBox : public Control {
public:
    FileListBox(std::string pattern, std::filesystem::path directory = ".")
        : pattern_(std::move(pattern)), directory_(std::move(directory)) {}

    std::function<void()> on_dbl_click;

    const std::string& pattern() const { return pattern_; }
    const std::filesystem::path& directory() const { return directory_; }
    void set_directory(std::filesystem::path directory) { directory_ = std::move(directory); }

    void refresh_list();

    int list_count() const { return static_cast<int>(names_.size()); }
    const std::vector<std::string>& names() const { return names_; }
    int list_index() const { return selected_; }
    bool set_list_index(long index);
    // The selected name, or the empty text when nothing is selected.
    std::string filename() const;

    void double_click(int index);

private:
    std::string pattern_;
    std::filesystem::path directory_;
    std::vector<std::string> names_;
    int selected_ = -1;
};

}  // namespace qv

#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "controls/FileListBox.h"
#include "controls/ListBox.h"
#include "controls/TextBox.h"
#include "timeline/KeyframeStore.h"

namespace qv {

// Setup files: the keyframe list saved line by line under the name in `Text1`, and read
// back into the list with its markers. Names are relative to the form's folder.
class SetupFile {
public:
    struct Parts {
        TextBox& Text1;
        FileListBox& File1;
        const ListBox& List2;
        KeyframeStore& keys;
        const std::filesystem::path& directory;
        std::function<void(const std::string&)> report;
    };

    explicit SetupFile(Parts parts) : p_(std::move(parts)) {}

    void save_Click();
    void File1_DblClick();

    // What a double click on `name` in the setup list does, without the report of a file
    // that cannot be read: that leaves everything as it was and gives the reason.
    std::optional<std::string> open(const std::string& name);

    // Replaces the keyframe list with the setup `name`. A file that cannot be read
    // changes nothing and is reported; returns whether the list was replaced.
    bool loadsetup(const std::string& name);
    // For session play: a setup that cannot be read plays as one without keyframes.
    void loadsetup_or_empty(const std::string& name);

private:
    std::optional<std::string> load(const std::string& name);
    void report_unreadable(const std::string& name, const std::string& reason,
                           const std::string& consequence);

    Parts p_;
};

}  // namespace qv

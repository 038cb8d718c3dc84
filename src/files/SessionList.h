#pragma once

#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <utility>

#include "controls/FileListBox.h"
#include "controls/ListBox.h"
#include "controls/TextBox.h"
#include "files/SetupFile.h"
#include "timeline/KeyframeStore.h"

namespace qv {

// The session list `List1`: setup names in playing order, filled from the setup file
// list, saved as a session file under the name in `Text3` and loaded from `File2`.
// A double click on an entry opens that one setup.
class SessionList {
public:
    struct Parts {
        ListBox& List1;
        FileListBox& File1;
        FileListBox& File2;
        TextBox& Text1;
        TextBox& Text3;
        SetupFile& setups;
        KeyframeStore& keys;
        const std::filesystem::path& directory;
        std::function<void(const std::string&)> report;
    };

    explicit SessionList(Parts parts) : p_(std::move(parts)) {}

    void addtolist_Click();
    void delfromlist_Click();
    void clrlist_Click();
    void saveses_Click();
    void File2_DblClick();
    void List1_DblClick();

    // What a double click on `name` in the session file list does, without the report of
    // a file that cannot be read: that leaves the list as it was and gives the reason.
    std::optional<std::string> open(const std::string& name);

private:
    Parts p_;
};

}  // namespace qv

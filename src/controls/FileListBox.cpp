#include "controls/FileListBox.h"

#include <fnmatch.h>

#include <algorithm>
#include <system_error>

namespace qv {

void FileListBox::refresh_list() {
    std::string kept = filename();
    names_.clear();
    std::error_code ec;
    for (std::filesystem::directory_iterator it(directory_, ec), end; !ec && it != end;
         it.increment(ec)) {
        std::error_code type_ec;
        if (!it->is_regular_file(type_ec)) continue;
        std::string name = it->path().filename().string();
        if (fnmatch(pattern_.c_str(), name.c_str(), FNM_CASEFOLD | FNM_PERIOD) == 0) {
            names_.push_back(std::move(name));
        }
    }
    std::sort(names_.begin(), names_.end());
    auto found = std::find(names_.begin(), names_.end(), kept);
    selected_ =
        (kept.empty() || found == names_.end()) ? -1 : static_cast<int>(found - names_.begin());
    refresh();
}

bool FileListBox::set_list_index(long index) {
    if (index < -1 || index >= list_count()) return false;
    if (index != selected_) {
        selected_ = static_cast<int>(index);
        refresh();
    }
    return true;
}

std::string FileListBox::filename() const {
    return selected_ < 0 ? std::string() : names_[static_cast<std::size_t>(selected_)];
}

void FileListBox::double_click(int index) {
    if (!set_list_index(index) || index < 0) return;
    if (on_dbl_click) on_dbl_click();
}

}  // namespace qv

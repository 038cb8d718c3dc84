#include "controls/ListBox.h"

#include <algorithm>

namespace qv {

const std::string& ListBox::list(long index) const {
    static const std::string empty;
    if (index < 0 || index >= list_count()) return empty;
    return items_[static_cast<std::size_t>(index)];
}

void ListBox::add_item(std::string item) {
    auto pos = sorted_ ? std::upper_bound(items_.begin(), items_.end(), item) : items_.end();
    int index = static_cast<int>(pos - items_.begin());
    items_.insert(pos, std::move(item));
    if (selected_ >= index) ++selected_;
    refresh();
}

void ListBox::assign(std::vector<std::string> items) {
    // Equal items keep the order they came in, as add_item one after the other leaves them.
    if (sorted_) std::stable_sort(items.begin(), items.end());
    items_ = std::move(items);
    selected_ = -1;
    refresh();
}

bool ListBox::remove_item(long index) {
    if (index < 0 || index >= list_count()) return false;
    items_.erase(items_.begin() + index);
    if (selected_ == index) {
        selected_ = -1;
    } else if (selected_ > index) {
        --selected_;
    }
    refresh();
    return true;
}

void ListBox::clear() {
    if (items_.empty() && selected_ == -1) return;
    items_.clear();
    selected_ = -1;
    refresh();
}

bool ListBox::set_list_index(long index) {
    if (index < -1 || index >= list_count()) return false;
    if (index != selected_) {
        selected_ = static_cast<int>(index);
        refresh();
    }
    return true;
}

void ListBox::double_click(int index) {
    if (!set_list_index(index) || index < 0) return;
    if (on_dbl_click) on_dbl_click();
}

}  // namespace qv

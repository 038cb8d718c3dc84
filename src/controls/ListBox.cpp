#include "controls/ListBox.h"

#include <algorithm>
#include <iterator>

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

void ListBox::add_items(std::vector<std::string> items) {
    if (items.empty()) return;
    if (!sorted_) {
        std::move(items.begin(), items.end(), std::back_inserter(items_));
        refresh();
        return;
    }
    // add_item places a new item after its equals; a stable sort of the new items and a
    // merge that takes the old ones first on ties give the same order.
    std::stable_sort(items.begin(), items.end());
    if (selected_ >= 0) {
        const std::string& kept = items_[static_cast<std::size_t>(selected_)];
        selected_ +=
            static_cast<int>(std::lower_bound(items.begin(), items.end(), kept) - items.begin());
    }
    std::vector<std::string> merged;
    merged.reserve(items_.size() + items.size());
    std::merge(std::make_move_iterator(items_.begin()), std::make_move_iterator(items_.end()),
               std::make_move_iterator(items.begin()), std::make_move_iterator(items.end()),
               std::back_inserter(merged));
    items_ = std::move(merged);
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

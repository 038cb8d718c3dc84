#pragma once

#include <functional>
#include <string>
#include <vector>

#include "controls/Control.h"

namespace qv {

// A list of texts with one optional selection. A sorted list places every added item by
// character order; an unsorted one appends. Reading a position outside the list gives
// the empty text, which callers rely on at both ends.
class ListBox : public Control {
public:
    explicit ListBox(bool sorted = false) : sorted_(sorted) {}

    std::function<void()> on_dbl_click;

    bool sorted() const { return sorted_; }
    int list_count() const { return static_cast<int>(items_.size()); }
    const std::string& list(long index) const;
    const std::vector<std::string>& items() const { return items_; }

    void add_item(std::string item);
    // Replaces every item at once, placed as add_item would place them, with one refresh:
    // a list of many thousand entries fills in linear time. Nothing stays selected.
    void assign(std::vector<std::string> items);
    // Removes the item at index; returns false when there is none.
    bool remove_item(long index);
    void clear();

    int list_index() const { return selected_; }
    // Selects index, or nothing with -1; returns false for any other position outside.
    bool set_list_index(long index);

    // The user's double click on a row: selects it, then raises the event.
    void double_click(int index);

private:
    bool sorted_;
    std::vector<std::string> items_;
    int selected_ = -1;
};

}  // namespace qv

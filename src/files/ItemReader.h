#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qv {

// One item of a setup or session file, with the line it starts on (counted from 1).
struct Item {
    std::string text;
    int line;
};

// Splits a file into items the way both setups and sessions are read back:
// - an item ends at a comma or at a line end (CR LF, or a bare LF or CR from files
//   edited elsewhere); the end of the file ends the last item;
// - spaces before an item are skipped;
// - an item that begins with a double quote runs to the next double quote on its line
//   and may hold commas; the quotes are dropped, and so is anything after the closing
//   quote up to the item's end;
// - an empty line is an empty item, but nothing follows the last line end;
// - a UTF-8 byte-order mark at the very start is skipped.
std::vector<Item> read_items(std::string_view bytes);

}  // namespace qv

#include "files/ItemReader.h"

namespace qv {

namespace {

bool line_end(char c) {
    return c == '\r' || c == '\n';
}

}  // namespace

std::vector<Item> read_items(std::string_view bytes) {
    std::vector<Item> items;
    // Editors elsewhere may start a UTF-8 file with a byte-order mark; it is no part of
    // the first item.
    std::size_t i = bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    const std::size_t n = bytes.size();
    int line = 1;
    // Consumes the delimiter at i: a comma, or one line end (CR LF counts once).
    auto end_item = [&] {
        if (i >= n) return;
        if (bytes[i] == ',') {
            ++i;
            return;
        }
        if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n') ++i;
        ++i;
        ++line;
    };

    while (i < n) {
        while (i < n && bytes[i] == ' ') ++i;
        Item item{{}, line};
        if (i < n && bytes[i] == '"') {
            const std::size_t start = ++i;
            while (i < n && bytes[i] != '"' && !line_end(bytes[i])) ++i;
            item.text.assign(bytes.substr(start, i - start));
            while (i < n && bytes[i] != ',' && !line_end(bytes[i])) ++i;
        } else {
            const std::size_t start = i;
            while (i < n && bytes[i] != ',' && !line_end(bytes[i])) ++i;
            item.text.assign(bytes.substr(start, i - start));
        }
        items.push_back(std::move(item));
        end_item();
    }
    return items;
}

}  // namespace qv

// The item reader on any bytes, against a second reading that cuts the file into lines
// first and each line into items after; and what a session save writes for a list of
// plain names reads back as the same list.
#include <cstddef>
#include <cstdint>

#include "FuzzHarness.h"
#include "files/ItemReader.h"

namespace {

using qv::Item;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

std::vector<Item> read_by_lines(std::string_view bytes) {
    std::vector<Item> items;
    int number = 1;
    std::size_t start = bytes.starts_with(kByteOrderMark) ? kByteOrderMark.size() : 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        const bool ended = end != std::string_view::npos;
        if (!ended) end = bytes.size();
        const std::string_view line = bytes.substr(start, end - start);

        std::size_t i = 0;
        for (;;) {
            while (i < line.size() && line[i] == ' ') ++i;
            const bool quoted = i < line.size() && line[i] == '"';
            const std::size_t from = quoted ? i + 1 : i;
            const std::size_t to = std::min(line.find(quoted ? '"' : ',', from), line.size());
            items.push_back({std::string(line.substr(from, to - from)), number});
            i = std::min(line.find(',', to), line.size());
            if (i == line.size()) break;
            ++i;  // past the comma; a comma that ends the file ends the last item with it
            if (i == line.size() && !ended) break;
        }

        start = end;
        if (ended) {
            start += bytes.substr(end, 2) == "\r\n" ? 2 : 1;
            ++number;
        }
    }
    return items;
}

bool same(const std::vector<Item>& a, const std::vector<Item>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (a[i].text != b[i].text || a[i].line != b[i].line) return false;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes = qv::fuzz::bytes_of(data, size);
    const std::vector<Item> items = qv::read_items(bytes);
    FUZZ_CHECK(same(items, read_by_lines(bytes)));

    // Names without commas that start with neither a blank, a quote nor a byte-order mark
    // survive a save.
    std::vector<Item> plain;
    std::string written;
    for (const Item& item : items) {
        const std::string& t = item.text;
        if (t.find(',') != std::string::npos || t.starts_with(' ') || t.starts_with('"') ||
            t.starts_with(kByteOrderMark)) {
            continue;
        }
        plain.push_back({t, static_cast<int>(plain.size()) + 1});
        written += t + "\r\n";
    }
    FUZZ_CHECK(same(qv::read_items(written), plain));
    return 0;
}

// A setup file of any bytes, opened as the user does (a double click in the setup list),
// then walked key by key with a synthesis tick at each, and played for half a second.
// Whatever the file holds, it loads, the list keeps only regular entries in time order,
// and anything else is reported once.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "FuzzHarness.h"
#include "files/ItemReader.h"
#include "timeline/KeyEntry.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    const std::string_view bytes = fuzz::bytes_of(data, size);
    const fuzz::Folder& folder = fuzz::Folder::fresh();
    folder.write("input.qrv", bytes);

    fuzz::Form f(folder.path());
    MainForm& form = f.form;
    form.Text1.set_text("before.qrv");
    form.File1.refresh_list();
    FUZZ_CHECK(form.File1.list_count() == 1);
    form.File1.double_click(0);

    FUZZ_CHECK(form.Text1.text() == "input.qrv");
    const std::vector<Item> items = read_items(bytes);
    const auto regular = std::count_if(items.begin(), items.end(),
                                       [](const Item& i) { return key_entry::is_regular(i.text); });
    const std::vector<std::string>& keys = form.List2.items();
    FUZZ_CHECK(static_cast<long>(keys.size()) == regular);
    FUZZ_CHECK(std::all_of(keys.begin(), keys.end(), key_entry::is_regular));
    FUZZ_CHECK(std::is_sorted(keys.begin(), keys.end()));
    FUZZ_CHECK(f.reports.size() == (regular == static_cast<long>(items.size()) ? 0u : 1u));

    for (std::size_t i = 0; i <= keys.size(); ++i) {
        form.nextkey.click();
        f.clock.advance(25);
    }
    form.stop.click();
    form.play.click();
    f.clock.advance(500);
    FUZZ_CHECK(form.timeline().playtime() > 0.45f && form.timeline().playtime() < 0.55f);
    return 0;
}

// A session file of any bytes, opened as the user does (a double click in the session
// list) beside the example setups and an empty one, then run for one and a half seconds of
// its time line.
#include <cstddef>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <utility>

#include "FuzzHarness.h"
#include "files/ItemReader.h"
#include "params/Numbers.h"

namespace {

// The example setups, read once.
const std::vector<std::pair<std::string, std::string>>& setups() {
    static const auto files = [] {
        std::vector<std::pair<std::string, std::string>> read{{"E.qrv", ""}};
        for (const auto& entry : std::filesystem::directory_iterator(QUORVANE_EXAMPLES_DIR)) {
            if (entry.path().extension() != ".qrv") continue;
            std::ifstream in(entry.path(), std::ios::binary);
            read.emplace_back(entry.path().filename().string(),
                              std::string(std::istreambuf_iterator<char>(in), {}));
        }
        return read;
    }();
    return files;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace qv;
    const std::string_view bytes = fuzz::bytes_of(data, size);
    const fuzz::Folder& folder = fuzz::Folder::fresh();
    for (const auto& [name, content] : setups()) folder.write(name, content);
    folder.write("input.ses", bytes);

    fuzz::Form f(folder.path());
    MainForm& form = f.form;
    form.File2.refresh_list();
    FUZZ_CHECK(form.File2.list_count() == 1);
    form.File2.double_click(0);

    std::vector<std::string> names;
    for (Item& item : read_items(bytes)) names.push_back(std::move(item.text));
    FUZZ_CHECK(form.List1.items() == names);
    FUZZ_CHECK(form.Text3.text() == "input.ses");
    FUZZ_CHECK(form.Text1.text() == "Default.qrv");  // the setup name stays
    FUZZ_CHECK(f.reports.empty());

    form.execute.click();
    // The setups' sound is the setup target's business: here only the time line runs, so
    // that more sessions are tried.
    form.Timer1.set_enabled(false);
    f.clock.advance(1500);
    if (form.sessionPlayer().running()) {
        const long at = form.sessionPlayer().position();
        FUZZ_CHECK(at >= 0 && at < form.List1.list_count());
        FUZZ_CHECK(form.Text1.text() == form.List1.list(at));
        FUZZ_CHECK(!form.play.enabled());
    }
    return 0;
}

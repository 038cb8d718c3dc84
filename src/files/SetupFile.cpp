#include "files/SetupFile.h"

#include <string>
#include <vector>

#include "files/ItemReader.h"
#include "files/TextFile.h"
#include "timeline/KeyEntry.h"

namespace qv {

namespace {

struct SetupRead {
    bool ok = false;
    std::string reason;
    std::vector<std::string> entries;
    std::vector<int> skipped_lines;
};

SetupRead read_setup(const std::filesystem::path& directory, const std::string& name) {
    if (name.empty()) return {false, "no file name", {}, {}};
    FileResult file = read_text_file(directory / name);
    if (!file.ok) return {false, file.reason, {}, {}};
    SetupRead setup{true, {}, {}, {}};
    // Only regular entries go into the list: every later step relies on their layout.
    for (Item& item : read_items(file.bytes)) {
        if (key_entry::is_regular(item.text)) {
            setup.entries.push_back(std::move(item.text));
        } else if (setup.skipped_lines.empty() || setup.skipped_lines.back() != item.line) {
            setup.skipped_lines.push_back(item.line);
        }
    }
    return setup;
}

std::string quoted(const std::string& name) {
    return "\"" + name + "\"";
}

}  // namespace

void SetupFile::save_Click() {
    const std::string& name = p_.Text1.text();
    if (name.empty()) {
        p_.report("The setup has no name, so it was not saved.");
    } else if (FileResult r = write_lines(p_.directory / name, p_.List2.items()); !r.ok) {
        p_.report("Could not save the setup " + quoted(name) + ": " + r.reason +
                  ". A file of that name was left as it was.");
    }
    p_.File1.refresh_list();
}

void SetupFile::File1_DblClick() {
    const std::string name = p_.File1.filename();
    if (!loadsetup(name)) return;
    p_.Text1.set_text(name);
    p_.keys.checkkey();
}

bool SetupFile::loadsetup(const std::string& name) {
    return load(name, "The keyframes were left as they were.");
}

void SetupFile::loadsetup_or_empty(const std::string& name) {
    if (!load(name, "It plays as a setup without keyframes.")) p_.keys.clear_keys();
}

bool SetupFile::load(const std::string& name, const std::string& when_unreadable) {
    SetupRead setup = read_setup(p_.directory, name);
    if (!setup.ok) {
        p_.report("Could not load the setup " + quoted(name) + ": " + setup.reason + ". " +
                  when_unreadable);
        return false;
    }
    p_.keys.clear_keys();
    for (std::string& entry : setup.entries) p_.keys.add_key(std::move(entry));
    if (!setup.skipped_lines.empty()) {
        std::string lines;
        for (int line : setup.skipped_lines) {
            lines += (lines.empty() ? "" : ", ") + std::to_string(line);
        }
        p_.report("The setup " + quoted(name) + " has lines that are not keyframes; skipped " +
                  (setup.skipped_lines.size() == 1 ? "line " : "lines ") + lines + ".");
    }
    return true;
}

}  // namespace qv

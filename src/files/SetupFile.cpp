#include "files/SetupFile.h"

#include <algorithm>
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

constexpr const char* kKeysKept = "The keyframes were left as they were.";

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
    // The saved setup is the one Add takes next.
    const auto& names = p_.File1.names();
    if (auto at = std::find(names.begin(), names.end(), name); at != names.end())
        p_.File1.set_list_index(at - names.begin());
}

void SetupFile::File1_DblClick() {
    const std::string name = p_.File1.filename();
    if (auto reason = open(name)) report_unreadable(name, *reason, kKeysKept);
}

std::optional<std::string> SetupFile::open(const std::string& name) {
    if (auto reason = load(name)) return reason;
    p_.Text1.set_text(name);
    p_.keys.checkkey();
    return std::nullopt;
}

bool SetupFile::loadsetup(const std::string& name) {
    auto reason = load(name);
    if (reason) report_unreadable(name, *reason, kKeysKept);
    return !reason;
}

void SetupFile::loadsetup_or_empty(const std::string& name) {
    if (auto reason = load(name)) {
        report_unreadable(name, *reason, "It plays as a setup without keyframes.");
        p_.keys.clear_keys();
    }
}

void SetupFile::report_unreadable(const std::string& name, const std::string& reason,
                                  const std::string& consequence) {
    p_.report("Could not load the setup " + quoted(name) + ": " + reason + ". " + consequence);
}

std::optional<std::string> SetupFile::load(const std::string& name) {
    SetupRead setup = read_setup(p_.directory, name);
    if (!setup.ok) return setup.reason;
    p_.keys.replace_keys(std::move(setup.entries));
    if (const std::size_t skipped = setup.skipped_lines.size(); skipped > 0) {
        // A file that is no setup at all would give a message as long as the file.
        constexpr std::size_t kNamed = 20;
        std::string lines;
        for (std::size_t i = 0; i < std::min(skipped, kNamed); ++i) {
            lines += (i == 0 ? "" : ", ") + std::to_string(setup.skipped_lines[i]);
        }
        if (skipped > kNamed) lines += " and " + std::to_string(skipped - kNamed) + " more";
        p_.report("The setup " + quoted(name) + " has lines that are not keyframes; skipped " +
                  (skipped == 1 ? "line " : "lines ") + lines + ".");
    }
    return std::nullopt;
}

}  // namespace qv

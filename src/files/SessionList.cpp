#include "files/SessionList.h"

#include "files/ItemReader.h"
#include "files/TextFile.h"

namespace qv {

void SessionList::addtolist_Click() {
    // With no setup selected the name is empty, and so is the entry.
    p_.List1.add_item(p_.File1.filename());
}

void SessionList::delfromlist_Click() {
    // A single remaining entry goes only with Clear List; without a selection there is
    // nothing to remove.
    if (p_.List1.list_count() - 1 > 0) p_.List1.remove_item(p_.List1.list_index());
}

void SessionList::clrlist_Click() {
    p_.List1.clear();
}

void SessionList::saveses_Click() {
    const std::string& name = p_.Text3.text();
    if (name.empty()) {
        p_.report("The session has no name, so it was not saved.");
    } else if (FileResult r = write_lines(p_.directory / name, p_.List1.items()); !r.ok) {
        p_.report("Could not save the session \"" + name + "\": " + r.reason +
                  ". A file of that name was left as it was.");
    }
    p_.File2.refresh_list();
}

void SessionList::File2_DblClick() {
    const std::string name = p_.File2.filename();
    if (auto reason = open(name)) {
        p_.report("Could not load the session \"" + name + "\": " + *reason +
                  ". The session list was left as it was.");
    }
}

std::optional<std::string> SessionList::open(const std::string& name) {
    FileResult file = read_text_file(p_.directory / name);
    if (!file.ok) {
        p_.File2.refresh_list();
        return file.reason;
    }
    p_.Text3.set_text(name);
    std::vector<std::string> entries;
    for (Item& item : read_items(file.bytes)) entries.push_back(std::move(item.text));
    p_.List1.assign(std::move(entries));
    p_.File2.refresh_list();
    p_.List1.set_list_index(0);
    // The setup name stays: it names the setup the keyframes came from, and Save Setup
    // must not write them over the session's first setup.
    return std::nullopt;
}

void SessionList::List1_DblClick() {
    const std::string name = p_.List1.list(p_.List1.list_index());
    if (!p_.setups.loadsetup(name)) return;
    p_.Text1.set_text(name);
    p_.keys.checkkey();
}

}  // namespace qv

#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>

#include "../timeline/FormFixture.h"

namespace qv {
namespace {

using testing::entry;
using Names = std::vector<std::string>;
namespace fs = std::filesystem;

// Runs f with file permissions checked for the calling thread even when the tests run as
// root: the two capabilities that pass over them leave its effective set meanwhile.
template <typename F>
void with_permissions_checked(F f) {
    __user_cap_header_struct header{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct caps[_LINUX_CAPABILITY_U32S_3]{};
    ASSERT_EQ(syscall(SYS_capget, &header, caps), 0);
    auto checked = std::to_array(caps);
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH}) {
        checked[cap / 32].effective &= ~(1u << (cap % 32));
    }
    ASSERT_EQ(syscall(SYS_capset, &header, checked.data()), 0);
    f();
    ASSERT_EQ(syscall(SYS_capset, &header, caps), 0);
}

class FileFaultTest : public testing::FormFixture {
protected:
    // What a failed load or save must leave as it was.
    std::vector<Names> seen() {
        Names texts{form.Text1.text(), form.Text3.text(),
                    std::to_string(form.Picture1.ops().size())};
        for (int k = 0; k < params::kCount; ++k) texts.push_back(text(k));
        return {form.List2.items(), form.List1.items(), form.File1.names(), texts};
    }
    void set_mode(const std::string& name, fs::perms mode) {
        fs::permissions(dir.path() / name, mode);
    }
    void expect_report(const std::string& name, const std::string& why, const std::string& what) {
        ASSERT_EQ(reports.size(), 1u) << name;
        EXPECT_NE(reports[0].find("\"" + name + "\": " + why), std::string::npos) << reports[0];
        EXPECT_NE(reports[0].find(what), std::string::npos) << reports[0];
        reports.clear();
    }
    Names folder_listing() {
        Names names;
        for (const auto& e : fs::directory_iterator(dir.path()))
            names.push_back(e.path().filename());
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(FileFaultTest, ASetupThatCannotBeOpenedChangesNothingAndSaysWhy) {
    write_file("a.qrv", entry(1, 10) + "\r\n");
    write_file("gone.qrv", entry(1, 10) + "\r\n");
    write_file("locked.qrv", entry(2, 20) + "\r\n");
    fs::create_directory(dir.path() / "closed");
    fs::create_directory(dir.path() / "folder.qrv");
    write_file("closed/inside.qrv", entry(3, 30) + "\r\n");
    ASSERT_EQ(mkfifo((dir.path() / "pipe.qrv").c_str(), 0644), 0);
    set_mode("locked.qrv", fs::perms::none);
    set_mode("closed", fs::perms::none);
    form.File1.refresh_list();
    fs::remove(dir.path() / "gone.qrv");  // listed, then removed

    struct Case {
        std::string name, why;
        bool from_setup_list;  // else by name from the session list
    };
    const std::vector<Case> cases = {
        {"gone.qrv", "No such file or directory", true},
        {"gone/inside.qrv", "No such file or directory", false},
        {"a.qrv/inside.qrv", "Not a directory", false},
        {"folder.qrv", "Is a directory", false},
        {"pipe.qrv", "not a regular file", false},  // and no waiting for a writer
        {"locked.qrv", "Permission denied", false},
        {"closed/inside.qrv", "Permission denied", false},
        {"", "no file name", false},  // an entry added with no setup selected
    };
    for (const Case& c : cases) form.List1.add_item(c.name);
    key_at(4, 40);
    form.Text1.set_text("mine.qrv");
    const auto before = seen();

    with_permissions_checked([&] {
        for (int i = 0; i < static_cast<int>(cases.size()); ++i) {
            const Names& files = form.File1.names();
            if (cases[i].from_setup_list) {
                const auto at = std::find(files.begin(), files.end(), cases[i].name);
                ASSERT_NE(at, files.end());
                form.File1.double_click(static_cast<int>(at - files.begin()));
            } else {
                form.List1.double_click(i);
            }
            expect_report(cases[i].name, cases[i].why, "The keyframes were left as they were.");
            EXPECT_EQ(seen(), before) << cases[i].name;
        }
    });

    set_mode("closed", fs::perms::owner_all);
    form.List1.double_click(6);  // readable again, it loads
    EXPECT_EQ(form.List2.items(), (Names{entry(3, 30)}));
    EXPECT_EQ(form.Text1.text(), "closed/inside.qrv");
    EXPECT_TRUE(reports.empty());
}

TEST_F(FileFaultTest, ASessionThatCannotBeOpenedChangesNothingAndSaysWhy) {
    write_file("gone.ses", "a.qrv\r\n");
    write_file("locked.ses", "a.qrv\r\n");
    write_file("turned.ses", "a.qrv\r\n");
    form.File2.refresh_list();
    // Listed as files, then one went, one became a folder and one unreadable.
    fs::remove(dir.path() / "gone.ses");
    fs::remove(dir.path() / "turned.ses");
    fs::create_directory(dir.path() / "turned.ses");
    set_mode("locked.ses", fs::perms::none);
    form.List1.add_item("x.qrv");
    form.List1.add_item("y.qrv");
    form.Text1.set_text("mine.qrv");
    form.Text3.set_text("mine.ses");
    const auto before = seen();

    with_permissions_checked([&] {
        form.File2.double_click(2);
        expect_report("turned.ses", "Is a directory", "The session list was left as it was.");
        EXPECT_EQ(seen(), before);
        EXPECT_EQ(form.File2.names(), (Names{"locked.ses"}));  // the list shows what is there
        form.File2.double_click(0);
        expect_report("locked.ses", "Permission denied", "The session list was left as it was.");
        EXPECT_EQ(seen(), before);
    });
}

TEST_F(FileFaultTest, ASaveThatCannotFinishLeavesWhatWasThere) {
    key_at(1, 11);
    form.Text1.set_text("keep.qrv");
    form.save.click();
    const std::string old = read_file("keep.qrv");
    key_at(2, 22);
    key_at(3, 33);

    // A full disk: writes stop at 200 bytes while the new setup needs 369.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto* old_handler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit full = saved;
    full.rlim_cur = 200;
    setrlimit(RLIMIT_FSIZE, &full);
    form.save.click();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);
    expect_report("keep.qrv", "File too large", "A file of that name was left as it was.");
    EXPECT_EQ(read_file("keep.qrv"), old);
    EXPECT_EQ(folder_listing(), (Names{"keep.qrv"})) << "the temporary file was left behind";

    form.Text1.set_text("");
    form.save.click();
    ASSERT_EQ(reports, (Names{"The setup has no name, so it was not saved."}));
    reports.clear();

    // Over a folder the last step, putting the new file in place, fails; in a folder
    // without write permission the new file cannot even begin.
    fs::create_directory(dir.path() / "folder.qrv");
    write_file("folder.qrv/inside.qrv", "mine");
    for (const auto& [name, why] : std::vector<std::pair<std::string, std::string>>{
             {"folder.qrv", "Is a directory"},
             {"no/such/folder.qrv", "No such file or directory"}}) {
        form.Text1.set_text(name);
        form.save.click();
        expect_report(name, why, "A file of that name was left as it was.");
    }
    write_file("keep.ses", "a.qrv\r\n");
    fs::create_directory(dir.path() / "shut");
    write_file("shut/keep.qrv", "old");
    set_mode("shut", fs::perms::owner_read | fs::perms::owner_exec);
    set_mode(".", fs::perms::owner_read | fs::perms::owner_exec);
    form.List1.add_item("b.qrv");
    form.Text3.set_text("keep.ses");
    form.Text1.set_text("shut/keep.qrv");
    with_permissions_checked([&] {
        form.saveses.click();
        expect_report("keep.ses", "Permission denied", "A file of that name was left as it was.");
        form.save.click();
        expect_report("shut/keep.qrv", "Permission denied",
                      "A file of that name was left as it was.");
    });
    set_mode(".", fs::perms::owner_all);
    set_mode("shut", fs::perms::owner_all);
    EXPECT_EQ(read_file("folder.qrv/inside.qrv"), "mine");
    EXPECT_EQ(read_file("keep.ses"), "a.qrv\r\n");
    EXPECT_EQ(read_file("shut/keep.qrv"), "old");
    EXPECT_EQ(folder_listing(), (Names{"folder.qrv", "keep.qrv", "keep.ses", "shut"}));

    form.Text1.set_text("keep.qrv");
    form.save.click();  // with room again the save replaces the file
    EXPECT_EQ(read_file("keep.qrv").size(), 3 * 123u);
    EXPECT_TRUE(reports.empty());
}

}  // namespace
}  // namespace qv

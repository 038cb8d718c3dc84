#include <linux/capability.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <csignal>

#include "../timeline/FormFixture.h"

namespace qv {
namespace {

using testing::entry;
using Names = std::vector<std::string>;

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
    struct Seen {
        Names keys, session, setup_files;
        std::string setup_name, session_name;
        std::size_t strip_ops;
        Names texts;
        bool operator==(const Seen&) const = default;
    };
    Seen seen() {
        Names texts;
        for (int k = 0; k < params::kCount; ++k) texts.push_back(text(k));
        return {form.List2.items(),
                form.List1.items(),
                form.File1.names(),
                form.Text1.text(),
                form.Text3.text(),
                form.Picture1.ops().size(),
                texts};
    }
    void set_mode(const std::string& name, std::filesystem::perms mode) {
        std::filesystem::permissions(dir.path() / name, mode);
    }
    void expect_report(const std::string& name, const std::string& why, const std::string& what) {
        ASSERT_EQ(reports.size(), 1u) << name;
        EXPECT_NE(reports[0].find("\"" + name + "\": " + why), std::string::npos) << reports[0];
        EXPECT_NE(reports[0].find(what), std::string::npos) << reports[0];
        reports.clear();
    }
    Names folder_listing() {
        Names names;
        for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
            names.push_back(e.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

TEST_F(FileFaultTest, ASetupThatCannotBeOpenedChangesNothingAndSaysWhy) {
    write_file("a.qrv", entry(1, 10) + "\r\n");
    write_file("locked.qrv", entry(2, 20) + "\r\n");
    std::filesystem::create_directory(dir.path() / "closed");
    write_file("closed/inside.qrv", entry(3, 30) + "\r\n");
    ASSERT_EQ(mkfifo((dir.path() / "pipe.qrv").c_str(), 0644), 0);
    set_mode("locked.qrv", std::filesystem::perms::none);
    set_mode("closed", std::filesystem::perms::none);

    struct Case {
        std::string name, why;
    };
    const std::vector<Case> cases = {
        {"gone/inside.qrv", "No such file or directory"},
        {"a.qrv/inside.qrv", "Not a directory"},
        {"pipe.qrv", "not a regular file"},  // and no waiting for a writer
        {"locked.qrv", "Permission denied"},
        {"closed/inside.qrv", "Permission denied"},
    };
    // Setups are opened by name from the session list.
    for (const Case& c : cases) form.List1.add_item(c.name);
    key_at(4, 40);
    form.Text1.set_text("mine.qrv");
    form.File1.refresh_list();
    const Seen before = seen();

    with_permissions_checked([&] {
        for (int i = 0; i < static_cast<int>(cases.size()); ++i) {
            form.List1.double_click(i);
            expect_report(cases[i].name, cases[i].why, "The keyframes were left as they were.");
            EXPECT_EQ(seen(), before) << cases[i].name;
        }
    });

    set_mode("closed", std::filesystem::perms::owner_all);
    form.List1.double_click(4);  // readable again, it loads
    EXPECT_EQ(form.List2.items(), (Names{entry(3, 30)}));
    EXPECT_EQ(form.Text1.text(), "closed/inside.qrv");
    EXPECT_TRUE(reports.empty());
}

TEST_F(FileFaultTest, ASessionThatCannotBeOpenedChangesNothingAndSaysWhy) {
    write_file("a.qrv", entry(1, 10) + "\r\n");
    write_file("locked.ses", "a.qrv\r\n");
    write_file("turned.ses", "a.qrv\r\n");
    form.File2.refresh_list();
    // Listed as files, then one became a folder and the other unreadable.
    std::filesystem::remove(dir.path() / "turned.ses");
    std::filesystem::create_directory(dir.path() / "turned.ses");
    set_mode("locked.ses", std::filesystem::perms::none);
    form.List1.add_item("x.qrv");
    form.List1.add_item("y.qrv");
    form.Text1.set_text("mine.qrv");
    form.Text3.set_text("mine.ses");
    const Seen before = seen();

    with_permissions_checked([&] {
        form.File2.double_click(1);
        expect_report("turned.ses", "Is a directory", "The session list was left as it was.");
        EXPECT_EQ(seen(), before);
        EXPECT_EQ(form.File2.names(), (Names{"locked.ses"}));  // the list shows what is there

        form.File2.double_click(0);
        expect_report("locked.ses", "Permission denied", "The session list was left as it was.");
        EXPECT_EQ(seen(), before);
    });
}

TEST_F(FileFaultTest, AProgramKilledHalfWayThroughASaveLeavesTheOldFileWhole) {
    key_at(1, 11);
    form.Text1.set_text("keep.qrv");
    form.save.click();
    const std::string old = read_file("keep.qrv");
    key_at(2, 22);
    key_at(3, 33);

    // The disk fills after 200 of the 369 bytes and the program dies of it mid-write.
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        const rlimit no_core{0, 0}, full{200, 200};
        setrlimit(RLIMIT_CORE, &no_core);
        setrlimit(RLIMIT_FSIZE, &full);
        std::signal(SIGXFSZ, SIG_DFL);
        form.save.click();
        _exit(0);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGXFSZ) << "the save was not cut off";

    EXPECT_EQ(read_file("keep.qrv"), old);
    const Names left = folder_listing();
    ASSERT_EQ(left.size(), 2u);  // the half-written copy stays hidden beside it
    EXPECT_EQ(std::filesystem::file_size(dir.path() / left[0]), 200u);
    form.File1.refresh_list();
    EXPECT_EQ(form.File1.names(), (Names{"keep.qrv"}));

    form.save.click();  // the next start saves over the same name as usual
    EXPECT_EQ(read_file("keep.qrv").size(), 3 * 123u);
    EXPECT_TRUE(reports.empty());
}

TEST_F(FileFaultTest, ASaveThatCannotFinishLeavesWhatWasThere) {
    key_at(5, 55);
    // Over a folder the last step, putting the new file in place, fails.
    std::filesystem::create_directory(dir.path() / "folder.qrv");
    write_file("folder.qrv/inside.qrv", "mine");
    form.Text1.set_text("folder.qrv");
    form.save.click();
    expect_report("folder.qrv", "Is a directory", "A file of that name was left as it was.");
    EXPECT_EQ(read_file("folder.qrv/inside.qrv"), "mine");
    EXPECT_EQ(folder_listing(), (Names{"folder.qrv"}));

    // In a folder without write permission the new file cannot even begin.
    write_file("keep.ses", "a.qrv\r\n");
    std::filesystem::create_directory(dir.path() / "shut");
    write_file("shut/keep.qrv", "old");
    set_mode("shut", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
    set_mode(".", std::filesystem::perms::owner_read | std::filesystem::perms::owner_exec);
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
    set_mode(".", std::filesystem::perms::owner_all);
    set_mode("shut", std::filesystem::perms::owner_all);
    EXPECT_EQ(read_file("keep.ses"), "a.qrv\r\n");
    EXPECT_EQ(read_file("shut/keep.qrv"), "old");
    EXPECT_EQ(folder_listing(), (Names{"folder.qrv", "keep.ses", "shut"}));
}

}  // namespace
}  // namespace qv

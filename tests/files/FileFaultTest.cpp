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
    checked[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH);
    ASSERT_EQ(syscall(SYS_capset, &header, checked.data()), 0);
    f();
    ASSERT_EQ(syscall(SYS_capset, &header, caps), 0);
}

class FileFaultTest : public testing::FormFixture {
protected:
    void set_mode(const char* name, fs::perms mode) { fs::permissions(dir.path() / name, mode); }
    void save_as(const std::string& name) {
        form.Text1.set_text(name);
        form.save.click();
    }
    void expect_report(const std::string& name, const std::string& why,
                       const std::string& what = "A file of that name was left as it was.") {
        ASSERT_EQ(reports.size(), 1u) << name;
        EXPECT_NE(reports[0].find("\"" + name + "\": " + why + ". " + what), std::string::npos)
            << reports[0];
        reports.clear();
    }
};

TEST_F(FileFaultTest, AFileThatCannotBeOpenedChangesNothingAndSaysWhy) {
    for (const char* name : {"a.qrv", "gone.qrv", "locked.qrv", "gone.ses", "locked.ses"})
        write(name, {entry(1, 10)});
    form.File1.refresh_list();
    form.File2.refresh_list();
    // Listed as files, then some went and others became unreadable.
    for (const char* name : {"gone.qrv", "gone.ses"}) fs::remove(dir.path() / name);
    fs::create_directory(dir.path() / "folder.qrv");
    ASSERT_EQ(mkfifo((dir.path() / "pipe.qrv").c_str(), 0644), 0);
    for (const char* name : {"locked.qrv", "locked.ses"}) set_mode(name, fs::perms::none);
    write("huge.qrv", {});
    fs::resize_file(dir.path() / "huge.qrv", 65u << 20);  // sparse: no disk space taken

    // Where the name is opened from: the setup list, the session's entries, the session list.
    enum From { SetupList, SessionEntry, SessionFiles };
    const std::tuple<From, std::string, std::string> cases[] = {
        {SetupList, "gone.qrv", "No such file or directory"},
        {SetupList, "locked.qrv", "Permission denied"},
        {SessionEntry, "a.qrv/inside.qrv", "Not a directory"},
        {SessionEntry, "folder.qrv", "Is a directory"},
        {SessionEntry, "pipe.qrv", "not a regular file"},  // and no waiting for a writer
        {SessionEntry, "", "no file name"},                // an entry added with no setup selected
        {SessionEntry, "huge.qrv", "too large for a setup or session file"},
        {SessionFiles, "gone.ses", "No such file or directory"},
        {SessionFiles, "locked.ses", "Permission denied"},
    };
    for (const auto& c : cases) form.List1.add_item(std::get<1>(c));
    key_at(4, 40);
    form.Text1.set_text("mine.qrv");
    auto seen = [&] {
        return std::tuple{form.List2.items(), form.List1.items(),         form.Text1.text(),
                          form.Text3.text(),  form.Picture1.ops().size(), text(P::LeftPartial1)};
    };
    const auto before = seen();
    with_permissions_checked([&] {
        for (int i = 0; i < int(std::size(cases)); ++i) {
            const auto& [from, name, why] = cases[i];
            FileListBox& files = from == SetupList ? form.File1 : form.File2;
            const auto at = std::find(files.names().begin(), files.names().end(), name);
            if (from == SessionEntry)
                form.List1.double_click(i);  // each name is an entry at its row's place
            else
                files.double_click(static_cast<int>(at - files.names().begin()));
            expect_report(name, why,
                          from == SessionFiles ? "The session list was left as it was."
                                               : "The keyframes were left as they were.");
            EXPECT_EQ(seen(), before) << name;
        }
    });
    EXPECT_EQ(form.File2.names(), (Names{"locked.ses"}));  // the list shows what is there
}

TEST_F(FileFaultTest, ASaveThatCannotFinishLeavesTheOldFileWhole) {
    key_at(1, 11);
    save_as("keep.qrv");
    for (int second : {2, 3}) key_at(second, 11 * second);

    // A full disk: writes stop at 200 bytes while the new setup needs 369.
    rlimit saved{};
    getrlimit(RLIMIT_FSIZE, &saved);
    auto* old_handler = std::signal(SIGXFSZ, SIG_IGN);
    const rlimit full{200, saved.rlim_max};
    setrlimit(RLIMIT_FSIZE, &full);
    form.save.click();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, old_handler);
    expect_report("keep.qrv", "File too large");
    EXPECT_EQ(read_file("keep.qrv"), entry(1, 11) + "\r\n");
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1)
        << "the temporary file was left behind";

    save_as("");
    EXPECT_EQ(reports, (Names{"The setup has no name, so it was not saved."}));
    reports.clear();

    // In a folder without write permission the new file cannot even begin; nor is a file
    // the user may not write replaced through the rename, as cp would not.
    write("keep.ses", {"a.qrv"});
    form.List1.add_item("b.qrv");
    form.Text3.set_text("keep.ses");
    for (auto [name, locked] : {std::pair{".", fs::perms::owner_read | fs::perms::owner_exec},
                                {"keep.ses", fs::perms::owner_read}}) {
        set_mode(name, locked);
        with_permissions_checked([&] { form.saveses.click(); });
        set_mode(name, fs::perms::owner_all);
        expect_report("keep.ses", "Permission denied");
        EXPECT_EQ(read_file("keep.ses"), "a.qrv\r\n");
    }

    // A pipe or a device of that name is not replaced by a file, nor waited on.
    ASSERT_EQ(mkfifo((dir.path() / "pipe.qrv").c_str(), 0644), 0);
    save_as("pipe.qrv");
    expect_report("pipe.qrv", "not a regular file");
    EXPECT_TRUE(fs::is_fifo(dir.path() / "pipe.qrv"));

    save_as("keep.qrv");  // with room again the save replaces the file
    EXPECT_EQ(read_file("keep.qrv").size(), 3 * 123u);

    // A link stays a link: the setup goes where it points, with that file's permissions.
    fs::create_directory(dir.path() / "store");
    write("store/real.qrv", {});
    // 0640: a mode that a new temporary file would not get by itself.
    const fs::perms mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
    set_mode("store/real.qrv", mode);
    fs::create_symlink("store/real.qrv", dir.path() / "link.qrv");
    save_as("link.qrv");
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.qrv"));
    EXPECT_EQ(read_file("store/real.qrv"), read_file("keep.qrv"));
    EXPECT_EQ(fs::status(dir.path() / "store/real.qrv").permissions(), mode);
}

}  // namespace
}  // namespace qv

#include "files/OutputFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>

namespace qv {

namespace fs = std::filesystem;

std::optional<fs::path> follow_links(const fs::path& name, std::string& reason) {
    // As many links as the system itself follows in one name.
    constexpr int kMaxLinks = 40;
    fs::path path = name;
    for (int links = 0;; ++links) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0) {
            if (errno == ENOENT) return path;  // a new file, or a link to one
            reason = std::strerror(errno);
            return std::nullopt;
        }
        if (!S_ISLNK(st.st_mode)) return path;
        if (links == kMaxLinks) {
            reason = std::strerror(ELOOP);
            return std::nullopt;
        }
        std::error_code ec;
        fs::path target = fs::read_symlink(path, ec);
        if (ec) {
            reason = ec.message();
            return std::nullopt;
        }
        path = target.is_absolute() ? target : path.parent_path() / target;
    }
}

std::optional<int> OutputFile::descriptor_named(const fs::path& name) {
    if (name == "-" || name == "/dev/stdout") return STDOUT_FILENO;
    for (std::string_view folder : {"/dev/fd/", "/proc/self/fd/"}) {
        const std::string& text = name.native();
        if (!text.starts_with(folder) || text.size() == folder.size()) continue;
        int fd = 0;
        const char* end = text.data() + text.size();
        if (auto [at, error] = std::from_chars(text.data() + folder.size(), end, fd);
            error == std::errc() && at == end) {
            return fd;
        }
    }
    return std::nullopt;
}

bool OutputFile::can_go_back(const fs::path& name) {
    struct stat st {};
    auto stream = [&] { return S_ISFIFO(st.st_mode) || S_ISSOCK(st.st_mode); };
    if (std::optional<int> fd = descriptor_named(name)) {
        const int flags = ::fcntl(*fd, F_GETFL);
        return ::fstat(*fd, &st) == 0 && !stream() && flags >= 0 && !(flags & O_APPEND);
    }
    std::string ignored;
    const std::optional<fs::path> target = follow_links(name, ignored);
    return !target || ::stat(target->c_str(), &st) != 0 || !stream();
}

bool OutputFile::open(const fs::path& name, Special special, std::string& reason) {
    discard();
    if (std::optional<int> fd = descriptor_named(name); fd && special == Special::InPlace) {
        if (::isatty(*fd)) {
            reason = "it is a terminal: send the sound to a file or a program";
            return false;
        }
        fd_ = *fd;
        owns_fd_ = false;
        return true;
    }
    std::optional<fs::path> target = follow_links(name, reason);
    if (!target) return false;
    target_ = *target;

    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    mode_t mode = 0;
    if (exists && S_ISDIR(st.st_mode)) {
        reason = std::strerror(EISDIR);
        return false;
    }
    // What the user may not write is not replaced behind their back through the rename,
    // as cp would not.
    if (exists && ::faccessat(AT_FDCWD, target_.c_str(), W_OK, AT_EACCESS) != 0) {
        reason = std::strerror(errno);
        return false;
    }
    if (exists && !S_ISREG(st.st_mode)) {
        if (special == Special::Refuse) {
            reason = "not a regular file";
            return false;
        }
        fd_ = ::open(target_.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd_ < 0) {
            reason = std::strerror(errno);
            return false;
        }
        owns_fd_ = true;
        return true;
    }
    if (exists) {
        mode = st.st_mode & 07777;
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }

    // Beside the target, so that the rename stays on one file system and replaces the
    // old file in one step.
    fs::path folder = target_.parent_path();
    if (folder.empty()) folder = ".";
    std::string pattern = (folder / ("." + target_.filename().string() + ".XXXXXX")).string();
    fd_ = ::mkostemp(pattern.data(), O_CLOEXEC);
    if (fd_ < 0) {
        reason = std::strerror(errno);
        return false;
    }
    owns_fd_ = true;
    temp_ = pattern;
    if (::fchmod(fd_, mode) != 0) {  // mkstemp's 0600 would stay on the renamed file
        reason = std::strerror(errno);
        discard();
        return false;
    }
    return true;
}

bool OutputFile::write(std::string_view bytes, std::string& reason) {
    while (!bytes.empty()) {
        const ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            reason = std::strerror(n < 0 ? errno : EIO);
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

bool OutputFile::close(std::string& reason) {
    int error = 0;
    // A device or a pipe has nothing to flush to a disk.
    if (fd_ >= 0 && !temp_.empty() && ::fsync(fd_) != 0) error = errno;
    if (owns_fd_ && ::close(fd_) != 0 && error == 0) error = errno;
    fd_ = -1;
    owns_fd_ = false;
    if (error != 0) {
        reason = std::strerror(error);
        discard();
        return false;
    }
    return true;
}

bool OutputFile::commit(std::string& reason) {
    if (!close(reason)) return false;
    if (!temp_.empty() && ::rename(temp_.c_str(), target_.c_str()) != 0) {
        reason = std::strerror(errno);
        discard();
        return false;
    }
    temp_.clear();
    return true;
}

void OutputFile::discard() {
    if (owns_fd_) ::close(fd_);
    fd_ = -1;
    owns_fd_ = false;
    if (!temp_.empty()) {
        ::unlink(temp_.c_str());
        temp_.clear();
    }
}

}  // namespace qv

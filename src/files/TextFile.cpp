#include "files/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace qv {

namespace {

FileResult failure(int error) {
    return {false, {}, std::strerror(error)};
}

// A new file gets the permissions the user's umask allows; a replaced one keeps its own.
mode_t mode_for(const std::filesystem::path& path) {
    struct stat st {};
    if (::stat(path.c_str(), &st) == 0) return st.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

bool write_all(int fd, const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            return false;
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

}  // namespace

namespace {
constexpr std::size_t kMaxTextFileBytes = 64u << 20;
}  // namespace

FileResult read_text_file(const std::filesystem::path& path) {
    // Non-blocking, so that a name that turns out to be a pipe cannot hang the window.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return failure(errno);
    struct stat st {};
    if (::fstat(fd, &st) != 0) {
        const int error = errno;
        ::close(fd);
        return failure(error);
    }
    if (!S_ISREG(st.st_mode)) {
        ::close(fd);
        if (S_ISDIR(st.st_mode)) return failure(EISDIR);
        return {false, {}, "not a regular file"};
    }
    FileResult result{true, {}, {}};
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            const int error = errno;
            ::close(fd);
            return failure(error);
        }
        if (n == 0) break;
        result.bytes.append(buffer, static_cast<std::size_t>(n));
        // A setup holds at most 601 lines of 123 bytes; a name that leads somewhere huge
        // must not fill the memory.
        if (result.bytes.size() > kMaxTextFileBytes) {
            ::close(fd);
            return {false, {}, "too large for a setup or session file"};
        }
    }
    ::close(fd);
    return result;
}

FileResult write_lines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += line;
        bytes += "\r\n";
    }

    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";
    std::string temp = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return failure(errno);

    int error = 0;
    if (::fchmod(fd, mode_for(path)) != 0 || !write_all(fd, bytes) || ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temp.c_str(), path.c_str()) != 0) error = errno;
    if (error != 0) {
        ::unlink(temp.c_str());
        return failure(error);
    }
    return {true, {}, {}};
}

}  // namespace qv

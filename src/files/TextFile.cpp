#include "files/TextFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>

#include "files/OutputFile.h"

namespace qv {

namespace {

FileResult failure(int error) {
    return {false, {}, std::strerror(error)};
}

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
    // A setup holds at most 601 lines of 123 bytes; a name that leads somewhere huge
    // must not fill the memory.
    constexpr const char* kTooLarge = "too large for a setup or session file";
    if (static_cast<std::uintmax_t>(st.st_size) > kMaxTextFileBytes) {
        ::close(fd);
        return {false, {}, kTooLarge};
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
        if (result.bytes.size() > kMaxTextFileBytes) {  // it grew while being read
            ::close(fd);
            return {false, {}, kTooLarge};
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
    OutputFile file;
    std::string reason;
    if (!file.open(path, OutputFile::Special::Refuse, reason) || !file.write(bytes, reason) ||
        !file.commit(reason)) {
        return {false, {}, reason};
    }
    return {true, {}, {}};
}

}  // namespace qv

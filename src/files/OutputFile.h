#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace qv {

// The file a name leads to through its symbolic links (it need not exist yet), or the
// system's reason why it cannot be followed, a loop among the links included.
std::optional<std::filesystem::path> follow_links(const std::filesystem::path& name,
                                                  std::string& reason);

// A file written under a name without ever leaving half a file there. The name is
// followed through its links, so that a link stays a link and the file it points to is
// what changes. A regular file (or a new one) is written beside that file and renamed
// over it by commit(): until then the old file stays whole, and a failed or abandoned
// write leaves nothing behind. A replaced file keeps its permission bits.
class OutputFile {
public:
    // What to do when the name leads to an existing file that is not a regular one.
    enum class Special {
        Refuse,   // "not a regular file" (a save must not replace a device with a file)
        InPlace,  // written as it is: a device such as /dev/null, a FIFO
    };

    OutputFile() = default;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() { discard(); }

    // "-", /dev/stdout, /dev/fd/N and /proc/self/fd/N name a descriptor already open,
    // written in place, never a terminal. An existing file the user may not write is
    // refused.
    bool open(const std::filesystem::path& name, Special special, std::string& reason);
    // Whether what the name leads to lets a writer go back to the start (a WAV header is
    // finished last): no pipe, FIFO, socket or stream opened for appending. Looked at
    // only, so that a FIFO does not block.
    static bool can_go_back(const std::filesystem::path& name);
    static std::optional<int> descriptor_named(const std::filesystem::path& name);

    int fd() const { return fd_; }
    // The temporary file while one is being written; empty when writing in place.
    const std::filesystem::path& temporary() const { return temp_; }

    bool write(std::string_view bytes, std::string& reason);
    // Flushes the file to the disk and closes it.
    bool close(std::string& reason);
    // Closes the file if still open and puts it under its name.
    bool commit(std::string& reason);
    // Closes the file and removes the temporary one; the old file stays as it was.
    void discard();

private:
    int fd_ = -1;
    bool owns_fd_ = false;
    std::filesystem::path target_;
    std::filesystem::path temp_;
};

}  // namespace qv

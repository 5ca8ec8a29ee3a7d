#include "core/WholeFile.h"

#include "core/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

std::string systemError(const char* what) {
    return std::string(what) + " (" + std::strerror(errno) + ")";
}

// Writes every byte, through interruptions and short writes.
bool writeAll(int fd, std::string_view text) {
    while (!text.empty()) {
        const ssize_t written = ::write(fd, text.data(), text.size());
        if (written < 0) {
            if (errno == EINTR) {
                continue;
            }
            return false;
        }
        text.remove_prefix(std::size_t(written));
    }
    return true;
}

} // namespace

std::string writeWholeFile(const fs::path& requested, std::string_view text) {
    std::error_code error;
    fs::path path = requested;
    // A settings file kept as a link into a dotfiles folder stays a link.
    if (fs::is_symlink(fs::symlink_status(path, error))) {
        path = fs::weakly_canonical(path, error);
        if (error) {
            return "its link cannot be followed (" + error.message() + ")";
        }
    }
    const fs::path folder = path.has_parent_path() ? path.parent_path() : fs::path(".");
    fs::create_directories(folder, error);
    if (error) {
        return "its folder " + folder.string() + " cannot be made (" + error.message() + ")";
    }
    mode_t mode = 0644;
    struct stat existing {};
    if (::stat(path.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode)) {
            return "it is not a regular file";
        }
        mode = existing.st_mode & 07777;
    }
    const fs::path temporary = path.string() + ".new." + std::to_string(long(::getpid()));
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd < 0) {
        return systemError(("it cannot be written in " + folder.string()).c_str());
    }
    std::string problem;
    if (::fchmod(fd, mode) != 0 || !writeAll(fd, text)) {
        problem = systemError(("it cannot be written in " + folder.string()).c_str());
    } else if (::fsync(fd) != 0) {
        problem = systemError("it cannot be flushed to the disk");
    }
    if (::close(fd) != 0 && problem.empty()) {
        problem = systemError("it cannot be written");
    }
    if (problem.empty() && ::rename(temporary.c_str(), path.c_str()) != 0) {
        problem = systemError("it cannot be replaced");
    }
    if (!problem.empty()) {
        ::unlink(temporary.c_str());
        return problem;
    }
    // The rename is only lasting once the folder's entry is on the disk.
    const int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0) {
        ::fsync(folderFd);
        ::close(folderFd);
    }
    return {};
}

std::string readWholeFile(const fs::path& path, std::size_t maxBytes, std::string& text,
                          bool missingIsEmpty) {
    text.clear();
    std::error_code error;
    if (missingIsEmpty && !fs::exists(fs::symlink_status(path, error))) {
        return {};
    }
    if (std::string problem = regularFileProblem(path.string()); !problem.empty()) {
        return problem;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return "it cannot be read";
    }
    text.resize(maxBytes + 1);
    in.read(text.data(), std::streamsize(text.size()));
    text.resize(std::size_t(in.gcount()));
    if (text.size() > maxBytes) {
        text.clear();
        return "it is larger than " + std::to_string(maxBytes / 1024) + " KiB";
    }
    return {};
}

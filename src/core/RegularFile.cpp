#include "core/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

const char* const NO_SUCH_FILE = "no such file";

} // namespace

std::string regularFileProblem(const std::string& path) {
    std::error_code error;
    const std::filesystem::file_status status = std::filesystem::status(path, error);
    switch (status.type()) {
    case std::filesystem::file_type::regular:
        return {};
    case std::filesystem::file_type::not_found:
        return NO_SUCH_FILE;
    case std::filesystem::file_type::directory:
        return "it is a folder, not a file";
    case std::filesystem::file_type::fifo:
        return "it is a named pipe, not a regular file";
    case std::filesystem::file_type::none:
        return "its status cannot be read (" + error.message() + ")";
    default:
        return "it is not a regular file";
    }
}

std::string nonRegularFileProblem(const std::string& path) {
    std::string problem = regularFileProblem(path);
    return problem == NO_SUCH_FILE ? std::string() : problem;
}

std::string byteSizeText(std::size_t bytes) {
    if (bytes >= (1u << 20) && bytes % (1u << 20) == 0) {
        return std::to_string(bytes >> 20) + " MiB";
    }
    if (bytes >= 1024 && bytes % 1024 == 0) {
        return std::to_string(bytes >> 10) + " KiB";
    }
    return std::to_string(bytes) + " bytes";
}

BoundedRead readBoundedFile(const std::string& path, std::size_t maxBytes) {
    BoundedRead result;
    result.problem = regularFileProblem(path);
    if (!result.problem.empty()) {
        result.missing = result.problem == NO_SUCH_FILE;
        return result;
    }
    // Without O_NONBLOCK a pipe put in the file's place since the look
    // above would hold the open until a writer comes.
    const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        result.missing = errno == ENOENT;
        result.problem = result.missing
                             ? NO_SUCH_FILE
                             : "it cannot be opened (" + std::string(std::strerror(errno)) + ")";
        return result;
    }
    struct stat status {};
    if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        close(fd);
        result.problem = "it is not a regular file";
        return result;
    }
    const auto reported = std::size_t(status.st_size);
    if (reported > maxBytes) {
        close(fd);
        result.tooLarge = true;
        result.problem = "it is larger than " + byteSizeText(maxBytes);
        return result;
    }
    // One byte past the bound tells a file that grew, or a file of the
    // system that says less than it yields, from one that ends.
    std::string text(reported + 1, '\0');
    std::size_t got = 0;
    while (got < text.size()) {
        const ssize_t n = read(fd, text.data() + got, text.size() - got);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n < 0) {
            result.problem = "it cannot be read (" + std::string(std::strerror(errno)) + ")";
            close(fd);
            return result;
        }
        if (n == 0) {
            break;
        }
        got += std::size_t(n);
    }
    close(fd);
    if (got > reported) {
        result.problem = "it yields more than the " + std::to_string(reported) +
                         " bytes it says it holds (a device or a file of the system)";
        return result;
    }
    text.resize(got);
    result.text = std::move(text);
    return result;
}

std::string quoted(std::string_view text, std::size_t maxBytes) {
    std::string out(1, '"');
    out.append(text.substr(0, maxBytes));
    out.append(text.size() > maxBytes ? "...\"" : "\"");
    return out;
}

void syncFolder(const std::string& folder) {
    const int fd = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        fsync(fd);
        close(fd);
    }
}

WholeWrite writeFileWhole(const std::string& path, std::string_view text, bool replace) {
    WholeWrite result;
    const std::string folder = std::filesystem::path(path).parent_path().string();
    const std::string temporary = path + ".new." + std::to_string(long(getpid()));
    // A file that is there keeps its permissions (a settings file the user
    // made private stays private).
    mode_t mode = 0644;
    struct stat existing {};
    if (stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode)) {
        mode = existing.st_mode & 07777;
    }
    const int fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
    if (fd >= 0) {
        fchmod(fd, mode);
    }
    if (fd < 0) {
        result.problem = "cannot be written in " + (folder.empty() ? "." : folder) + " (" +
                         std::strerror(errno) + ")";
        return result;
    }
    std::size_t done = 0;
    while (done < text.size()) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            break;
        }
        done += std::size_t(n);
    }
    const int writeError = done < text.size() ? errno : 0;
    const bool synced = fsync(fd) == 0;
    const int syncError = errno;
    const bool closed = close(fd) == 0;
    if (done < text.size() || !synced || !closed) {
        result.problem = "cannot be written in " + (folder.empty() ? "." : folder) + " (" +
                         std::strerror(writeError ? writeError : syncError) + ")";
        unlink(temporary.c_str());
        return result;
    }
    if (replace) {
        if (rename(temporary.c_str(), path.c_str()) != 0) {
            result.problem = "cannot be replaced (" + std::string(std::strerror(errno)) + ")";
        }
    } else if (link(temporary.c_str(), path.c_str()) != 0) {
        // A link never replaces what is there.
        result.exists = errno == EEXIST;
        result.problem = "cannot be made (" + std::string(std::strerror(errno)) + ")";
    }
    if (!replace || !result.problem.empty()) {
        unlink(temporary.c_str());
    }
    if (result.problem.empty()) {
        syncFolder(folder);
    }
    return result;
}

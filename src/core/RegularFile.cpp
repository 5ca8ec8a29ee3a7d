#include "core/RegularFile.h"

#include <filesystem>
#include <system_error>

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

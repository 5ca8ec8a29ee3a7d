#include "core/DataFolder.h"

#include "core/Log.h"

#include <cstdlib>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* DATA_VARIABLE = "KELVARO19_DATA";
constexpr const char* WORKING_FOLDER_DATA = "res/";

// A folder with the game's data, not any folder of that name: another
// project's res/ in the working folder is passed over.
bool isDataFolder(const std::string& path) {
    std::error_code ignored;
    return fs::is_directory(fs::path(path) / "shaders", ignored) &&
           fs::is_directory(fs::path(path) / "assets", ignored);
}

std::string withSlash(std::string folder) {
    if (folder.empty() || folder.back() != '/') {
        folder += '/';
    }
    return folder;
}

fs::path runningExecutable() {
    std::error_code error;
    fs::path executable = fs::read_symlink("/proc/self/exe", error);
    return error ? fs::path() : executable;
}

} // namespace

DataFolderChoice chooseDataFolder(const std::optional<std::string>& variable,
                                  const fs::path& executable) {
    DataFolderChoice choice;
    if (variable && !variable->empty()) {
        const std::string folder = withSlash(*variable);
        choice.tried.push_back(folder + " (" + DATA_VARIABLE + ")");
        if (isDataFolder(folder)) {
            choice.folder = folder;
            choice.reason = std::string("named by ") + DATA_VARIABLE;
        }
        return choice;
    }
    // Appended, not added: g++ 12 warns falsely about a temporary built from
    // a literal and moved into the vector.
    choice.tried.emplace_back(WORKING_FOLDER_DATA).append(" in the working folder");
    if (isDataFolder(WORKING_FOLDER_DATA)) {
        choice.folder = WORKING_FOLDER_DATA;
        choice.reason = "in the working folder";
        return choice;
    }
    if (!executable.empty()) {
        const fs::path installed =
            (executable.parent_path() / ".." / "share" / "kelvaro19").lexically_normal();
        const std::string folder = withSlash(installed.string());
        choice.tried.push_back(folder + " (beside " + executable.string() + ")");
        if (isDataFolder(folder)) {
            choice.folder = folder;
            choice.reason = "installed with " + executable.string();
        }
    }
    return choice;
}

const DataFolderChoice& dataFolderChoice() {
    // Found once and kept until exit: every path the game reads hangs on it.
    static const DataFolderChoice choice = [] {
        const char* variable = std::getenv(DATA_VARIABLE);
        return chooseDataFolder(variable ? std::optional<std::string>(variable) : std::nullopt,
                                runningExecutable());
    }();
    return choice;
}

const std::string& dataDirectory() {
    static const std::string folder =
        dataFolderChoice().folder.empty() ? WORKING_FOLDER_DATA : dataFolderChoice().folder;
    return folder;
}

std::string dataPath(const std::string& relative) {
    return dataDirectory() + relative;
}

bool announceDataFolder(bool quiet) {
    const DataFolderChoice& choice = dataFolderChoice();
    if (choice.folder.empty()) {
        std::string places;
        for (const std::string& place : choice.tried) {
            places += (places.empty() ? "" : "; ") + place;
        }
        logMessage(LogLevel::ERROR, "No game data found. Looked in: " + places + ". Set " +
                                        DATA_VARIABLE + " to the folder that holds shaders/ " +
                                        "and assets/, or reinstall the game.");
        return false;
    }
    if (!quiet) {
        logMessage(LogLevel::INFO, "Game data from " + choice.folder + " (" + choice.reason + ").");
    }
    return true;
}

#include "core/UserFolders.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* GAME_FOLDER_NAME = "kelvaro19";

// An environment variable that names an absolute path; the XDG rules say a
// relative one is ignored.
fs::path absoluteVariable(const char* name) {
    const char* value = std::getenv(name);
    if (!value || value[0] != '/') {
        return {};
    }
    return fs::path(value);
}

fs::path baseFolder(const char* variable, const fs::path& belowHome) {
    fs::path base = absoluteVariable(variable);
    if (base.empty()) {
        fs::path home = userHomeDir();
        if (home.empty()) {
            return {};
        }
        base = home / belowHome;
    }
    return base / GAME_FOLDER_NAME;
}

} // namespace

fs::path userHomeDir() {
    fs::path home = absoluteVariable("HOME");
    if (!home.empty()) {
        return home;
    }
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found &&
        found->pw_dir && found->pw_dir[0] == '/') {
        return fs::path(found->pw_dir);
    }
    return {};
}

fs::path userConfigDir() {
    return baseFolder("XDG_CONFIG_HOME", ".config");
}

fs::path userDataDir() {
    return baseFolder("XDG_DATA_HOME", fs::path(".local") / "share");
}

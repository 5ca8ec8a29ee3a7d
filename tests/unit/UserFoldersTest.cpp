#include "core/UserFolders.h"

#include "ScopedEnvironment.h"

#include <gtest/gtest.h>

#include <optional>

namespace {

using Value = std::optional<std::string>;

struct FolderCase {
    const char* what;
    Value home;
    Value configHome;
    Value dataHome;
    const char* configDir;
    const char* dataDir;
};

const FolderCase FOLDER_CASES[] = {
    {"defaults below home", "/h/ann", std::nullopt, std::nullopt, "/h/ann/.config/kelvaro19",
     "/h/ann/.local/share/kelvaro19"},
    {"both variables set", "/h/ann", "/cfg", "/dat", "/cfg/kelvaro19", "/dat/kelvaro19"},
    {"empty variables are unset", "/h/ann", "", "", "/h/ann/.config/kelvaro19",
     "/h/ann/.local/share/kelvaro19"},
    {"relative variables are ignored", "/h/ann", "cfg", "./dat", "/h/ann/.config/kelvaro19",
     "/h/ann/.local/share/kelvaro19"},
    {"only one variable set", "/h/bob", std::nullopt, "/var/dat", "/h/bob/.config/kelvaro19",
     "/var/dat/kelvaro19"},
    {"variables need no home", "relative-home", "/cfg", "/dat", "/cfg/kelvaro19", "/dat/kelvaro19"},
};

TEST(UserFolders, FollowTheXdgBaseDirectoryRules) {
    for (const FolderCase& c : FOLDER_CASES) {
        ScopedEnvironment env;
        env.set("HOME", c.home);
        env.set("XDG_CONFIG_HOME", c.configHome);
        env.set("XDG_DATA_HOME", c.dataHome);
        EXPECT_EQ(userConfigDir(), std::filesystem::path(c.configDir)) << c.what;
        EXPECT_EQ(userDataDir(), std::filesystem::path(c.dataDir)) << c.what;
    }
}

TEST(UserFolders, WithoutHomeTheAccountsHomeIsUsed) {
    ScopedEnvironment env;
    env.set("HOME", std::nullopt);
    env.set("XDG_CONFIG_HOME", std::nullopt);
    const std::filesystem::path home = userHomeDir();
    ASSERT_TRUE(home.is_absolute()) << home;
    EXPECT_EQ(userConfigDir(), home / ".config/kelvaro19");
}

TEST(UserFolders, TestsRunWithATemporaryHome) {
    // Guards the test set-up itself: a test must never see the real home.
    const std::filesystem::path home = userHomeDir();
    EXPECT_NE(home.string().find("kelvaro-home-"), std::string::npos) << home;
    EXPECT_EQ(userConfigDir(), home / ".config/kelvaro19");
    EXPECT_EQ(userDataDir(), home / ".local/share/kelvaro19");
}

} // namespace

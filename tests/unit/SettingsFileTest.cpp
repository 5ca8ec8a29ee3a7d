#include "core/SettingsFile.h"

#include "core/Config.h"

#include "ScopedEnvironment.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace fs = std::filesystem;

namespace {

std::string readText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

} // namespace

TEST(SettingsFile, ChangesAreMadeInPlaceAndEverythingElseKept) {
    struct Case {
        const char* text;
        std::vector<SettingChange> changes;
        const char* expected;
    };
    const Case cases[] = {
        // In place, with the file's spelling, separator and inline comment.
        {"; mine\n[SOUND]\nmusic_volume=0.5 ; quiet\nSOUND_VOLUME = 1\n",
         {{"SOUND", "MUSIC_VOLUME", "0.2"}},
         "; mine\n[SOUND]\nmusic_volume=0.2 ; quiet\nSOUND_VOLUME = 1\n"},
        // Added after the last key of its section, before the next one's comments.
        {"[SOUND]\nSOUND_VOLUME = 1\n\n; graphics\n[GRAPHICS]\nFOV = 80\n",
         {{"sound", "MUTE", "true"}},
         "[SOUND]\nSOUND_VOLUME = 1\nMUTE = true\n\n; graphics\n[GRAPHICS]\nFOV = 80\n"},
        // A section that is not there goes at the end.
        {"[SOUND]\nMUTE = false",
         {{"CONTROLS", "PAUSE", "P"}},
         "[SOUND]\nMUTE = false\n\n[CONTROLS]\nPAUSE = P\n"},
        {"", {{"CONTROLS", "PAUSE", "P"}}, "[CONTROLS]\nPAUSE = P\n"},
        // A commented-out key stays a comment; the key is added below it.
        {"[GRAPHICS]\n;BLUR_ITERATIONS = 25\n",
         {{"GRAPHICS", "BLUR_ITERATIONS", "6"}},
         "[GRAPHICS]\nBLUR_ITERATIONS = 6\n;BLUR_ITERATIONS = 25\n"},
        // The same name in another section is another key; every copy in its own is set.
        {"[A]\nK = 1\n[B]\nK = 2\n[b]\nk: 3\n",
         {{"B", "K", "9"}},
         "[A]\nK = 1\n[B]\nK = 9\n[b]\nk: 9\n"},
        // Windows line ends stay, an empty value with a comment gets a gap.
        {"[SOUND]\r\nMUTE = ; unset\r\n",
         {{"SOUND", "MUTE", "true"}, {"SOUND", "X", "1"}},
         "[SOUND]\r\nMUTE = true ; unset\r\nX = 1\r\n"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(applySettingChanges(c.text, c.changes), c.expected) << c.text;
    }
}

TEST(SettingsFile, TheWrittenFileReadsBackWithTheUsersLinesKept) {
    TempDir dir;
    const fs::path path =
        dir.write("Kelvaro.ini", "; my comment\n[SOUND]\nSOUND_VOLUME = 1\n[MINE]\nX = y\n");
    ::chmod(path.c_str(), 0600);
    Config before;
    Config after = before;
    after.musicVolume = 0.3f;
    after.invertPitch = true;
    after.levelOfDetail = 1;
    EXPECT_EQ(changeSettingsFile(path.string(), changedPlayerSettings(before, after)), "");
    const std::string text = readText(path);
    EXPECT_EQ(text.rfind("; my comment\n[SOUND]\nSOUND_VOLUME = 1\nMUSIC_VOLUME = 0.3\n", 0), 0u)
        << text;
    EXPECT_NE(text.find("[MINE]\nX = y\n"), std::string::npos);
    testing::internal::CaptureStdout();
    const Config read = parseConfig(path.string());
    testing::internal::GetCapturedStdout();
    EXPECT_FLOAT_EQ(read.musicVolume, 0.3f);
    EXPECT_TRUE(read.invertPitch);
    EXPECT_EQ(read.levelOfDetail, 1);
    struct stat status {};
    ASSERT_EQ(::stat(path.c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 0777, 0600u);
    // No temporary file is left beside it.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(SettingsFile, OnlyChangedSettingsAreWritten) {
    Config before;
    EXPECT_TRUE(changedPlayerSettings(before, before).empty());
    Config after = before;
    after.glow = false;
    after.blurIterations = 6;
    after.soundVolume = 0.7f;
    const std::vector<SettingChange> changes = changedPlayerSettings(before, after);
    ASSERT_EQ(changes.size(), 3u);
    EXPECT_EQ(changes[0].key, "SOUND_VOLUME");
    EXPECT_EQ(changes[0].value, "0.7");
    EXPECT_EQ(changes[1].key, "GLOW");
    EXPECT_EQ(changes[1].value, "false");
    EXPECT_EQ(changes[2].section, "GRAPHICS");
    EXPECT_EQ(changes[2].value, "6");
    // A scale of the player's is kept; the preset's automatic one is no key.
    Config scaled = before;
    scaled.renderScale = 0.5f;
    scaled.fullscreenMode = true;
    const std::vector<SettingChange> window = changedPlayerSettings(before, scaled);
    ASSERT_EQ(window.size(), 2u);
    EXPECT_EQ(window[0].key, "FULLSCREEN_MODE");
    EXPECT_EQ(window[1].key, "RENDER_SCALE");
    EXPECT_EQ(window[1].value, "0.5");
    Config automatic = scaled;
    automatic.scenePixels = 800 * 450;
    automatic.fullscreenMode = false;
    EXPECT_EQ(changedPlayerSettings(scaled, automatic).size(), 1u);
}

TEST(SettingsFile, AMissingFileIsMadeAndALinkIsWrittenThrough) {
    TempDir dir;
    const fs::path made = dir.path() / "new" / "Kelvaro.ini";
    EXPECT_EQ(changeSettingsFile(made.string(), {{"SOUND", "MUTE", "true"}}), "");
    const std::string text = readText(made);
    EXPECT_EQ(text.rfind("; Kelvaro19: your own settings", 0), 0u) << text;
    EXPECT_NE(text.find("[SOUND]\nMUTE = true\n"), std::string::npos) << text;

    const fs::path target = dir.write("dotfiles/Kelvaro.ini", "[SOUND]\nMUTE = true\n");
    const fs::path link = dir.path() / "link.ini";
    fs::create_symlink(target, link);
    EXPECT_EQ(changeSettingsFile(link.string(), {{"SOUND", "MUTE", "false"}}), "");
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readText(target), "[SOUND]\nMUTE = false\n");
}

TEST(SettingsFile, AFileThatCannotBeReadIsLeftAlone) {
    TempDir dir;
    fs::create_directories(dir.path() / "folder.ini");
    EXPECT_EQ(changeSettingsFile((dir.path() / "folder.ini").string(), {{"SOUND", "MUTE", "1"}}),
              "it is a folder, not a file");
    const std::string big(2 * 1024 * 1024, ';');
    const fs::path huge = dir.write("huge.ini", big);
    EXPECT_EQ(changeSettingsFile(huge.string(), {{"SOUND", "MUTE", "1"}}),
              "it is larger than 1 MiB");
    EXPECT_EQ(fs::file_size(huge), big.size());
    // A folder that cannot be written keeps the file as it was.
    const fs::path locked = dir.write("locked/Kelvaro.ini", "[SOUND]\nMUTE = 0\n");
    fs::permissions(locked.parent_path(), fs::perms::owner_read | fs::perms::owner_exec);
    if (::access(locked.parent_path().c_str(), W_OK) != 0) { // not as root
        EXPECT_NE(changeSettingsFile(locked.string(), {{"SOUND", "MUTE", "1"}}), "");
        EXPECT_EQ(readText(locked), "[SOUND]\nMUTE = 0\n");
    }
    fs::permissions(locked.parent_path(), fs::perms::owner_all);
}

TEST(SettingsFile, SavingGoesToTheUsersFileAndNeverTheShippedOne) {
    TempDir dir;
    ScopedEnvironment env;
    // The shipped file is found from the checkout, as the game finds res/
    // in its working folder; CTest starts tests in the build folder.
    ScopedWorkingDir here(KELVARO_SOURCE_DIR);
    env.set("XDG_CONFIG_HOME", (dir.path() / "config").string());
    const std::string shipped = readText(configPath());
    ASSERT_FALSE(shipped.empty());
    EXPECT_TRUE(saveUserSettings({{"SOUND", "MUSIC_VOLUME", "0.1"}}));
    const std::string user = readText(dir.path() / "config" / "kelvaro19" / "Kelvaro.ini");
    EXPECT_NE(user.find("[SOUND]\nMUSIC_VOLUME = 0.1\n"), std::string::npos) << user;
    // A user folder that is the shipped one (a link) is refused with a word.
    fs::create_directories(dir.path() / "shipped");
    fs::create_directory_symlink(fs::absolute(fs::path(configPath()).parent_path()),
                                 dir.path() / "shipped" / "kelvaro19");
    env.set("XDG_CONFIG_HOME", (dir.path() / "shipped").string());
    testing::internal::CaptureStdout();
    EXPECT_FALSE(saveUserSettings({{"SOUND", "MUSIC_VOLUME", "0.1"}}));
    const std::string console = testing::internal::GetCapturedStdout();
    EXPECT_NE(console.find("[ ERROR ]\tSettings could not be saved to "), std::string::npos);
    EXPECT_NE(console.find("the shipped settings file, which the game never writes."),
              std::string::npos)
        << console;
    EXPECT_EQ(readText(configPath()), shipped);
}

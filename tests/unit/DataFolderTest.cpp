#include "core/DataFolder.h"

#include "TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <optional>

namespace fs = std::filesystem;

namespace {

// What exists when the rule runs. The working folder is <tmp>/work; the game
// is <tmp>/prefix/bin/kelvaro19, so its installed data is
// <tmp>/prefix/share/kelvaro19. Folders are relative to <tmp>; each holds
// the game's data (shaders/ and assets/) unless it is one of `bare`.
struct RuleCase {
    const char* what;
    std::optional<std::string> variable; // "@" stands for <tmp>
    std::vector<std::string> folders;
    std::vector<std::string> files;
    bool executableKnown;
    const char* chosen; // relative to the working folder, or "@..."; "" for none
    size_t placesTried;
    std::vector<std::string> bare = {};
};

const RuleCase RULE_CASES[] = {
    {"a checkout", std::nullopt, {"work/res", "prefix/share/kelvaro19"}, {}, true, "res/", 1},
    {"installed",
     std::nullopt,
     {"prefix/share/kelvaro19"},
     {},
     true,
     "@/prefix/share/kelvaro19/",
     2},
    {"the variable wins",
     "@/data",
     {"data", "work/res", "prefix/share/kelvaro19"},
     {},
     true,
     "@/data/",
     1},
    {"the variable with its slash", "@/data/", {"data", "work/res"}, {}, true, "@/data/", 1},
    {"a relative variable is from the working folder",
     "mine",
     {"work/mine", "work/res"},
     {},
     true,
     "mine/",
     1},
    {"a variable naming no folder finds nothing",
     "@/gone",
     {"work/res", "prefix/share/kelvaro19"},
     {},
     true,
     "",
     1},
    {"a variable naming a file finds nothing", "@/data", {"work/res"}, {"data"}, true, "", 1},
    {"an empty variable is unset", "", {"work/res"}, {}, true, "res/", 1},
    {"a file named res is no folder",
     std::nullopt,
     {"prefix/share/kelvaro19"},
     {"work/res"},
     true,
     "@/prefix/share/kelvaro19/",
     2},
    {"nothing anywhere", std::nullopt, {"prefix/share"}, {}, true, "", 2},
    {"an unknown executable has no installed data",
     std::nullopt,
     {"prefix/share/kelvaro19"},
     {},
     false,
     "",
     1},
    {"another project's res/ is passed over",
     std::nullopt,
     {"prefix/share/kelvaro19"},
     {"work/res/shaders"},
     true,
     "@/prefix/share/kelvaro19/",
     2,
     {"work/res", "work/res/assets"}},
    {"a variable naming a folder without the data finds nothing",
     "@/data",
     {"work/res"},
     {},
     true,
     "",
     1,
     {"data"}},
};

std::string expand(const std::string& text, const fs::path& tmp) {
    return text.starts_with("@") ? tmp.string() + text.substr(1) : text;
}

TEST(DataFolder, TheRuleTakesTheFirstPlaceThatIsThere) {
    for (const RuleCase& c : RULE_CASES) {
        SCOPED_TRACE(c.what);
        TempDir tmp;
        fs::create_directories(tmp.path() / "work");
        for (const std::string& folder : c.folders) {
            fs::create_directories(tmp.path() / folder / "shaders");
            fs::create_directories(tmp.path() / folder / "assets");
        }
        for (const std::string& folder : c.bare) {
            fs::create_directories(tmp.path() / folder);
        }
        for (const std::string& file : c.files) {
            tmp.write(file, "not a folder");
        }
        const fs::path executable =
            c.executableKnown ? tmp.path() / "prefix/bin/kelvaro19" : fs::path();
        std::optional<std::string> variable;
        if (c.variable) {
            variable = expand(*c.variable, tmp.path());
        }
        ScopedWorkingDir inWork(tmp.path() / "work");
        const DataFolderChoice choice = chooseDataFolder(variable, executable);
        EXPECT_EQ(choice.folder, expand(c.chosen, tmp.path()));
        EXPECT_EQ(choice.reason.empty(), choice.folder.empty()) << choice.reason;
        EXPECT_EQ(choice.tried.size(), c.placesTried);
    }
}

TEST(DataFolder, ThePlacesTriedSayWhatTheyAre) {
    TempDir tmp;
    ScopedWorkingDir inTmp(tmp.path());
    const DataFolderChoice none = chooseDataFolder(std::nullopt, "/opt/games/bin/kelvaro19");
    ASSERT_EQ(none.tried.size(), 2u);
    EXPECT_EQ(none.tried[0], "res/ in the working folder");
    EXPECT_EQ(none.tried[1], "/opt/games/share/kelvaro19/ (beside /opt/games/bin/kelvaro19)");
    const DataFolderChoice named = chooseDataFolder("/no/such/data", "/usr/bin/kelvaro19");
    EXPECT_EQ(named.tried, std::vector<std::string>{"/no/such/data/ (KELVARO19_DATA)"});
}

} // namespace

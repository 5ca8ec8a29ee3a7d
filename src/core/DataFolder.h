#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

// Where the game's read-only data (shaders, fonts, models, textures, levels,
// the track list, the shipped settings) is. One rule, in this order:
//   1. the folder KELVARO19_DATA names, when the variable is set and not empty;
//   2. res/ in the working folder, so that a checkout runs as it is;
//   3. <prefix>/share/kelvaro19/ for an executable installed as
//      <prefix>/bin/kelvaro19, so that a package works under any prefix.
// A place counts only when it holds the game's data (its shaders/ and
// assets/ folders), so that another project's res/ is passed over. A
// KELVARO19_DATA naming no such folder is a mistake to be told, not skipped:
// the rule then finds nothing.
struct DataFolderChoice {
    // The folder with a trailing '/', as given (res/ stays relative, so that
    // it follows the working folder); empty when nothing was found.
    std::string folder;
    // Which step of the rule chose it, in words for the start-up line.
    std::string reason;
    // Every place looked at, in order, for the line that says none was there.
    std::vector<std::string> tried;
};

// The rule applied to a value of KELVARO19_DATA (nothing when unset) and the
// path of the running executable (empty when unknown), with folders looked up
// relative to the working folder.
DataFolderChoice chooseDataFolder(const std::optional<std::string>& variable,
                                  const std::filesystem::path& executable);

// The rule applied to this process, once; later calls return the same choice.
const DataFolderChoice& dataFolderChoice();

// The data folder with a trailing '/'. When the rule found nothing it is
// "res/", what the game used before there was a rule, so that library code
// never has to stop; start-up refuses to run in that case.
const std::string& dataDirectory();

// `relative` below the data folder.
std::string dataPath(const std::string& relative);

// The start-up check: logs the folder used in one INFO line (unless `quiet`),
// or one ERROR line naming every place tried; false when nothing was found.
bool announceDataFolder(bool quiet);

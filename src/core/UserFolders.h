#pragma once

#include <filesystem>

// The user's own folders, after the XDG base directory rules: the game keeps
// a user's settings in the first and their bests in the second, never beside
// the shipped data, which may be read-only.
//
// $XDG_CONFIG_HOME/kelvaro19, or ~/.config/kelvaro19 when the variable is
// unset, empty or relative.
std::filesystem::path userConfigDir();
// $XDG_DATA_HOME/kelvaro19, or ~/.local/share/kelvaro19 likewise.
std::filesystem::path userDataDir();
// The home folder: $HOME when it is an absolute path, else the account's
// home from the password database; empty when neither is known, and then the
// two folders above are relative to nothing, so callers skip them.
std::filesystem::path userHomeDir();

#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

// One track of the list: a level file in the level folder, how hard it is
// (1 to 5) and the name the player sees.
struct TrackEntry {
    std::string file;
    int difficulty = 1;
    std::string name;
};

// The list file's name inside the level folder.
inline constexpr const char* TRACK_LIST_FILE = "tracks.list";
// A list file larger than this is not a list of tracks.
inline constexpr std::size_t MAX_TRACK_LIST_BYTES = 64 * 1024;
inline constexpr std::size_t MAX_TRACK_NAME_BYTES = 40;

// The track the game ships with, which is all the list holds when the list
// file cannot be used.
TrackEntry shippedTrack();

// The tracks of a list file's text, in order: UTF-8, a leading byte order
// mark skipped, lines starting with "#" and blank lines ignored, every other
// line "file | difficulty | name" (spaces around the parts are trimmed). The
// file is a plain name or a path below the level folder; the difficulty a
// whole number from 1 to 5; the name up to 40 bytes. The first line that is
// none of these makes the whole list unusable: `problem` then says which
// line and why ("line 3: the difficulty must be a whole number from 1 to
// 5, not \"7\""), and `tracks` is empty. A list without a track is a
// problem too.
struct TrackListText {
    std::vector<TrackEntry> tracks;
    std::string problem;
};
TrackListText parseTrackList(std::string_view text);

// The player's own tracks in `folder` (USER_TRACKS_FOLDER in the player's
// data folder), each with the level file's path: those of a tracks.list
// there, in its order, then every other level file there (.dae, .glb,
// .gltf, in any case of letters) by file name, ungraded (difficulty 0) and
// named by the file's name without its extension. A list there that cannot
// be used is named in one ERROR line and left out; the level files still
// join. No folder, no tracks.
struct UserTrack {
    TrackEntry entry;
    std::string path;
};
std::vector<UserTrack> readUserTracks(const std::string& folder);

// The folder of the player's own tracks inside the player's data folder.
inline constexpr const char* USER_TRACKS_FOLDER = "tracks";

// The list file at `path`: its tracks, or, when it is missing, too large or
// broken, one ERROR line naming the file and the problem, and the shipped
// track alone.
std::vector<TrackEntry> readTrackList(const std::string& path);

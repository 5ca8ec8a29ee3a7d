#pragma once

#include <iosfwd>

// "kelvaro19 --tracks": the tracks the game offers, in its order (the
// shipped ones, then the player's own), one a line for scripts, the fields
// separated by tabs:
//   name, difficulty (1 to 5, "-" for an ungraded level of one's own), the
//   level file's path, the best time in seconds and the most points ("-"
//   and "-" without a best).
// Reads no level and opens no window; a track whose file is missing is
// listed all the same (the game greys it out).
void printTrackList(std::ostream& out);

#pragma once

#include "world/LevelFinding.h"

#include <iosfwd>
#include <string>

// The level checker behind "kelvaro19 --check LEVEL": it reads a level file
// with the game's own loader, physics and rules and no window, and writes
//   one line per finding ("ERROR <node>: <problem>; <remedy>" or WARNING),
//   the line of the test pilot flying with a player's reactions ("FINISHED
//   ..." or "NOT FINISHED: ..."),
//   when it finished, the difficulty line ("Difficulty: N of 5 (...)"),
//   when it did not, the line of the perfect pilot ("A perfect pilot can: ..."
//   or "A perfect pilot cannot either: ..."),
//   one verdict line,
// and returns the exit code: 0 when the game plays the level, the pilot
// finishes it and nothing is an error (OK); 1 when the game refuses it
// (REFUSED), finds an error (NOT OK) or a player cannot finish it (NOT
// FINISHABLE); 2 when the file cannot be read (UNREADABLE); 3 when the
// checker could not fly it and so cannot tell (UNDECIDED). It never opens a
// window nor calls OpenGL itself.
int checkLevel(const std::string& path, std::ostream& out);

// "ERROR <node>: <problem>; <remedy>" (WARNING for warnings; without the
// remedy part when there is none).
std::string findingLine(const LevelFinding& finding);

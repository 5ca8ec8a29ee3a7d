#pragma once

#include "world/LevelFinding.h"

#include <iosfwd>
#include <string>

// The level checker behind "kelvaro19 --check LEVEL": it reads a level file
// with the game's own loader, physics and rules and no window, and writes
//   one line per finding ("ERROR <node>: <problem>; <remedy>" or WARNING),
//   the test pilot's line ("FINISHED ..." or "NOT FINISHED: ..."),
//   one verdict line,
// and returns the exit code: 0 when the game plays the level and the pilot
// finishes it, 1 when the game refuses it or it cannot be finished, 2 when
// the file cannot be read. It never opens a window nor calls OpenGL itself.
int checkLevel(const std::string& path, std::ostream& out);

// "ERROR <node>: <problem>; <remedy>" (WARNING for warnings; without the
// remedy part when there is none).
std::string findingLine(const LevelFinding& finding);

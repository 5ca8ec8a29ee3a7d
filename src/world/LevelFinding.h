#pragma once

#include <string>

// One thing wrong with a level, as loading it found it: the game reports it
// on the console, the level checker prints it as
// "ERROR <node>: <problem>; <remedy>" (or WARNING).
struct LevelFinding {
    enum class Severity { Error, Warning };

    Severity severity = Severity::Error;
    // The node it is about, or the level file for the level as a whole.
    std::string node;
    // What is wrong, and what the designer can do about it.
    std::string problem;
    std::string remedy;
};

// The game's console text of a finding in the level file `level`:
// "Level <file>: <node>: <problem>; <remedy>." (the node left out when the
// finding is about the whole file). Errors are logged as ERROR lines;
// warnings, which the game has worked around, as INFO lines.
std::string consoleText(const std::string& level, const LevelFinding& finding);

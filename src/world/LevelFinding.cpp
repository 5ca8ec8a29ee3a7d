#include "world/LevelFinding.h"

std::string consoleText(const std::string& level, const LevelFinding& finding) {
    std::string text = "Level " + level + ": ";
    if (finding.node != level) {
        text += finding.node + ": ";
    }
    text += finding.problem;
    if (!finding.remedy.empty()) {
        text += "; " + finding.remedy;
    }
    return text + ".";
}

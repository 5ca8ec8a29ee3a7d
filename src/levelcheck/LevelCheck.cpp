#include "levelcheck/LevelCheck.h"

#include "core/CommandLine.h"
#include "core/Log.h"
#include "game/TestPilot.h"
#include "levelcheck/Difficulty.h"
#include "levelcheck/TextureFindings.h"
#include "levelcheck/WorldFindings.h"
#include "world/WorldLoader.h"

#include <ostream>

namespace {

using Severity = LevelFinding::Severity;

int unreadable(const std::string& path, const std::string& problem, std::ostream& out) {
    out << findingLine({Severity::Error, path, problem,
                        "check the path, and that the file is a COLLADA level exported from "
                        "Blender"})
        << "\nUNREADABLE: " << path << " cannot be read\n";
    return 2;
}

// Whether a failed flight shows the track cannot be finished by anyone, not
// only that the pilot did not manage it: a ring that cannot be passed, a
// ring passed through the middle without counting, or an obstacle on the
// ship where it starts.
bool provesUnfinishable(const PilotReport& flight) {
    using Outcome = PilotReport::Outcome;
    switch (flight.outcome) {
    case Outcome::Unpassable:
    case Outcome::NoRing:
    case Outcome::NoShip:
        return true;
    case Outcome::Missed:
        return flight.missedBy <= 0.0f;
    case Outcome::Hit:
        return flight.steps <= 1;
    case Outcome::Finished:
    case Outcome::GaveUp:
        return false;
    }
    return false;
}

// The loader's own messages begin with the file they are about; the finding
// names the file already.
std::string withoutLevelPrefix(const std::string& text, const std::string& path) {
    for (const std::string& prefix : {"Level " + path + ": ", "Level " + path + " "}) {
        if (text.rfind(prefix, 0) == 0) {
            return text.substr(prefix.size());
        }
    }
    return text;
}

} // namespace

std::string findingLine(const LevelFinding& finding) {
    std::string line = finding.severity == Severity::Error ? "ERROR " : "WARNING ";
    line += finding.node + ": " + finding.problem;
    if (!finding.remedy.empty()) {
        // Messages written as sentences end in a full stop; the remedy follows.
        if (line.ends_with('.')) {
            line.pop_back();
        }
        line += "; " + finding.remedy;
    }
    return line;
}

int checkLevel(const std::string& path, std::ostream& out) {
    if (auto problem = levelPathProblem(path)) {
        return unreadable(path, withoutLevelPrefix(*problem, path), out);
    }
    std::vector<LevelFinding> findings;
    std::optional<PilotReport> flight;
    std::optional<PilotReport> perfect;
    std::string refusal;
    {
        // Everything the game would say while loading and flying the level
        // becomes a finding instead of a console line.
        LogCapture capture;
        WorldLoader loader;
        LevelResult level = loader.readFile(path, {.times = nullptr, .upload = false});
        if (level.failure == LevelFailure::Unreadable) {
            return unreadable(path, withoutLevelPrefix(level.error, path), out);
        }
        findings = std::move(level.findings);
        for (const LogCapture::Line& line : capture.lines()) {
            // A missing texture of the level is named below with the node
            // whose material wants it.
            const bool missingTexture =
                level.world && line.text.starts_with("Texture \"") &&
                line.text.find(" named by " + path + " ") != std::string::npos;
            if (line.level == LogLevel::ERROR && !missingTexture) {
                findings.push_back({Severity::Error, path, line.text,
                                    "the game reports this when it loads the level"});
            }
        }
        if (level.world) {
            for (LevelFinding& finding : builtWorldFindings(*level.world)) {
                findings.push_back(std::move(finding));
            }
            addTextureFindings(*level.world, findings);
            if (level.world->pointLights.empty()) {
                findings.push_back(
                    {Severity::Warning, path,
                     "it has no lamp, so the track is lit by the faint ambient light alone",
                     "add a point light whose node name contains Lamp"});
            }
            PilotOptions player;
            player.mode = PilotOptions::Mode::Player;
            flight = flyTrack(*level.world, player);
            if (flight->outcome == PilotReport::Outcome::Hit && flight->steps <= 1) {
                findings.push_back(
                    {Severity::Error, flight->object,
                     "touches the ship's shapes where it starts, so the game ends at once",
                     "move it away from the Camera node, or the Camera node away from it"});
            }
            if (!flight->finished() && !provesUnfinishable(*flight)) {
                // The flight moved the ship and took cans: the perfect pilot
                // flies a fresh copy, alone in the physics world.
                level.world.reset();
                LevelResult again = loader.readFile(path, {.times = nullptr, .upload = false});
                if (again.world) {
                    perfect = flyTrack(*again.world);
                }
            }
        } else {
            refusal = withoutLevelPrefix(level.error, path);
        }
    }

    int32_t errors = 0;
    for (const LevelFinding& finding : findings) {
        out << findingLine(finding) << '\n';
        errors += finding.severity == Severity::Error;
    }
    if (!refusal.empty()) {
        // A refused level's last finding is its reason, with the remedy; the
        // game's own wording of it would only say the same again.
        if (findings.empty()) {
            out << findingLine({Severity::Error, path, refusal, ""}) << '\n';
        }
        out << "REFUSED: the game does not play " << path << '\n';
        return 1;
    }
    out << flight->line() << '\n';
    if (flight->finished()) {
        out << difficultyLine(*flight) << '\n';
        if (errors > 0) {
            out << "NOT OK: the game plays " << path << " and the test pilot finishes it, but "
                << (errors == 1 ? "an error" : std::to_string(errors) + " errors")
                << " above must be mended first\n";
            return 1;
        }
        out << "OK: the game plays " << path << " and the test pilot finishes it\n";
        return 0;
    }
    if (perfect && perfect->finished()) {
        out << "A perfect pilot can: " << perfect->line() << '\n';
        out << "NOT FINISHABLE: the game plays " << path
            << ", but a pilot with a player's reactions does not finish it\n";
        return 1;
    }
    if (perfect) {
        out << "A perfect pilot cannot either: " << perfect->line() << '\n';
    }
    if (provesUnfinishable(perfect.value_or(*flight))) {
        out << "NOT FINISHABLE: the game plays " << path
            << ", but the test pilot does not finish it\n";
        return 1;
    }
    out << "UNDECIDED: the game plays " << path << ", but the checker could not fly it\n";
    return 3;
}

#include "levelcheck/LevelCheck.h"

#include "core/CommandLine.h"
#include "core/Log.h"
#include "game/TestPilot.h"
#include "game/TrackGeometry.h"
#include "levelcheck/Difficulty.h"
#include "levelcheck/Loops.h"
#include "levelcheck/TextureFindings.h"
#include "levelcheck/WorldFindings.h"
#include "world/World.h"
#include "world/WorldLoader.h"
#include "world/WorldStart.h"

#include <glm/geometric.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <optional>

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

// How many of the player-like flights must finish for a level to be OK.
int32_t most(size_t flights) {
    return int32_t(flights / 2 + 1);
}

// Within this time of the start a rock ahead is one the ship cannot turn
// away from, when every way it turns meets one.
constexpr double SWEEP_SECONDS = 4.0;

// Why no pilot at all can finish the level, when a failed flight shows it
// (not only that the pilot did not manage it): a ring that cannot be passed,
// a ring passed through the middle without counting, or no ring or ship.
std::optional<std::string> provenUnfinishable(const PilotReport& flight) {
    using Outcome = PilotReport::Outcome;
    switch (flight.outcome) {
    case Outcome::Unpassable:
        return flight.object + " has no collision shape, so it can never be passed";
    case Outcome::NoRing:
        return std::string("the level has no ring to fly through");
    case Outcome::NoShip:
        return std::string("the level has no ship (no \"Camera\" node)");
    case Outcome::Missed:
        if (flight.missedBy <= 0.0f) {
            return "the ship flies through the middle of " + flight.object +
                   " without touching its collision shape, so the ring never counts";
        }
        return std::nullopt;
    case Outcome::Hit:
    case Outcome::Finished:
    case Outcome::GaveUp:
        return std::nullopt;
    }
    return std::nullopt;
}

// Whether every way the ship can turn from the start, pitch and yaw held
// or let go in each of the nine ways, runs into an obstacle soon after the
// start: then no pilot gets away. The reason names the obstacle met first
// most often and the latest time of a hit.
std::optional<std::string> everyWayHits(World& world, const WorldStart& start) {
    std::vector<std::string> hits;
    double latest = 0.0;
    for (float pitch : {0.0f, -pilot::KEY, pilot::KEY}) {
        for (float yaw : {0.0f, -pilot::KEY, pilot::KEY}) {
            PilotOptions held;
            held.held = ShipControl{nullptr, pitch, 0.0f, yaw};
            held.longest = SWEEP_SECONDS;
            const PilotReport flight = TestFlight(world, start, held).fly();
            if (flight.outcome != PilotReport::Outcome::Hit) {
                return std::nullopt;
            }
            hits.push_back(flight.object);
            latest = std::max(latest, flight.seconds);
        }
    }
    std::string most = hits.front();
    for (const std::string& name : hits) {
        if (std::count(hits.begin(), hits.end(), name) >
            std::count(hits.begin(), hits.end(), most)) {
            most = name;
        }
    }
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", std::max(latest, 0.1));
    return "every way the ship can turn hits " + most + " within " + seconds + " s of the start";
}

// A ring whose whole opening lies inside an obstacle: no way leads through
// it.
std::optional<std::string> ringInsideRock(const World& world) {
    const std::vector<ObstacleSurface> surfaces = obstacleSurfaces(world);
    for (const GameObject& ring : world.objects) {
        const auto opening = ring.kind == ObjectKind::Ring ? ringOpening(ring) : std::nullopt;
        if (!opening) {
            continue;
        }
        glm::vec3 across = glm::cross(opening->normal, glm::vec3(0, 1, 0));
        if (glm::length(across) < 1e-3f) {
            across = glm::cross(opening->normal, glm::vec3(1, 0, 0));
        }
        across = glm::normalize(across);
        const glm::vec3 other = glm::cross(opening->normal, across);
        for (const ObstacleSurface& surface : surfaces) {
            bool inside = surface.contains(opening->centre);
            for (int k = 0; k < 8 && inside; ++k) {
                const float angle = float(k) * 0.785398f;
                inside = surface.contains(opening->centre +
                                          0.9f * opening->radius *
                                              (std::cos(angle) * across + std::sin(angle) * other));
            }
            if (inside) {
                return designerName(ring.name) + " lies inside " +
                       designerName(surface.object->name) + ", so no way leads through it";
            }
        }
    }
    return std::nullopt;
}

// "1 hit roid_a, 2 gave up at ring_3": what became of the flights that did
// not finish, most common first.
std::string failures(const std::vector<PilotReport>& flights) {
    std::vector<std::pair<std::string, int32_t>> kinds;
    for (const PilotReport& flight : flights) {
        std::string what;
        using Outcome = PilotReport::Outcome;
        switch (flight.outcome) {
        case Outcome::Finished:
            continue;
        case Outcome::Hit:
            what = "hit " + flight.object;
            break;
        case Outcome::Missed:
            what = "missed " + flight.object;
            break;
        case Outcome::GaveUp:
            what = "gave up at " + flight.object;
            break;
        case Outcome::Unpassable:
        case Outcome::NoRing:
        case Outcome::NoShip:
            what = "could not fly";
            break;
        }
        auto known = std::find_if(kinds.begin(), kinds.end(),
                                  [&](const auto& kind) { return kind.first == what; });
        if (known == kinds.end()) {
            kinds.emplace_back(what, 1);
        } else {
            ++known->second;
        }
    }
    std::stable_sort(kinds.begin(), kinds.end(),
                     [](const auto& a, const auto& b) { return a.second > b.second; });
    std::string text;
    for (const auto& [what, count] : kinds) {
        text += (text.empty() ? "" : ", ") + std::to_string(count) + " " + what;
    }
    return text;
}

// The first flight that failed the most common way, to show in full.
const PilotReport* typicalFailure(const std::vector<PilotReport>& flights) {
    const PilotReport* chosen = nullptr;
    int32_t best = 0;
    for (const PilotReport& flight : flights) {
        if (flight.finished()) {
            continue;
        }
        const int32_t same =
            int32_t(std::count_if(flights.begin(), flights.end(), [&](const PilotReport& other) {
                return other.outcome == flight.outcome && other.object == flight.object;
            }));
        if (same > best) {
            best = same;
            chosen = &flight;
        }
    }
    return chosen;
}

// "37.7 to 38.1 s": the fastest and slowest finished flight.
std::string timeSpread(const std::vector<PilotReport>& flights) {
    double fastest = 1e30, slowest = 0.0;
    for (const PilotReport& flight : flights) {
        if (flight.finished()) {
            fastest = std::min(fastest, flight.seconds);
            slowest = std::max(slowest, flight.seconds);
        }
    }
    char text[64];
    std::snprintf(text, sizeof text, "%.1f to %.1f s", fastest, slowest);
    return text;
}

std::string errorsText(int32_t errors) {
    return errors == 1 ? "an error" : std::to_string(errors) + " errors";
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
    std::vector<PilotReport> flights;
    std::optional<PilotReport> perfect;
    std::optional<std::string> unfinishable;
    std::vector<LoopAtRing> loops;
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
            World& world = *level.world;
            for (LevelFinding& finding : builtWorldFindings(world)) {
                findings.push_back(std::move(finding));
            }
            addTextureFindings(world, findings);
            if (world.pointLights.empty()) {
                findings.push_back(
                    {Severity::Warning, path,
                     "it has no lamp, so the track is lit by the faint ambient light alone",
                     "add a point light whose node name contains Lamp"});
            }
            // Every flight starts from the world as loaded, one after the
            // other in a fixed order: the check does not depend on timing.
            const WorldStart start(world);
            for (const PilotOptions& pilot : playerPilots()) {
                flights.push_back(TestFlight(world, start, pilot).fly());
                if (auto proof = provenUnfinishable(flights.back())) {
                    unfinishable = proof;
                    break;
                }
            }
            const auto finished = std::count_if(flights.begin(), flights.end(),
                                                [](const PilotReport& f) { return f.finished(); });
            if (!unfinishable && finished < most(playerPilots().size())) {
                perfect = TestFlight(world, start, {}).fly();
                if (!perfect->finished() && finished == 0) {
                    unfinishable = provenUnfinishable(*perfect);
                    if (!unfinishable) {
                        unfinishable = ringInsideRock(world);
                    }
                    if (!unfinishable) {
                        unfinishable = everyWayHits(world, start);
                    }
                }
            }
            const auto onStart =
                std::find_if(flights.begin(), flights.end(), [](const PilotReport& f) {
                    return f.outcome == PilotReport::Outcome::Hit && f.steps <= 1;
                });
            if (onStart != flights.end()) {
                findings.push_back(
                    {Severity::Error, onStart->object,
                     "touches the ship's shapes where it starts, so the game ends at once",
                     "move it away from the Camera node, or the Camera node away from it"});
            }
            // The loops are told from where the ship starts.
            start.restore(world);
            loops = findLoops(world, flights);
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
    const FlightsSummary summary = summarise(flights, loops);
    const int32_t flown = int32_t(playerPilots().size());
    out << "Player-like flights: finished by " << summary.finished << " of " << flown;
    if (summary.finished > 0) {
        out << " (" << timeSpread(flights) << ")";
    }
    if (summary.finished < int32_t(flights.size())) {
        out << "; " << failures(flights);
    }
    if (int32_t(flights.size()) < flown) {
        out << "; the rest not flown";
    }
    out << '\n';
    if (summary.typical) {
        out << summary.typical->line() << '\n';
    }
    if (const PilotReport* failed = typicalFailure(flights);
        failed && summary.finished < most(flights.size())) {
        out << failed->line() << '\n';
    }
    for (const LoopAtRing& loop : summary.loops) {
        out << loopLine(loop) << '\n';
    }
    if (summary.typical) {
        out << difficultyLine(summary) << '\n';
    }
    if (perfect) {
        out << "A perfect pilot: " << perfect->line() << '\n';
    }
    const std::string mend =
        errors > 0 ? ", and " + errorsText(errors) + " above must be mended" : std::string();
    if (summary.finished >= most(size_t(flown))) {
        if (errors > 0) {
            out << "NOT OK: the game plays " << path << " and " << summary.finished << " of "
                << flown << " player-like flights finish it, but " << errorsText(errors)
                << " above must be mended first\n";
            return 1;
        }
        out << "OK: the game plays " << path << " and " << summary.finished << " of " << flown
            << " player-like flights finish it\n";
        return 0;
    }
    if (summary.finished > 0) {
        out << "TOO HARD: only " << summary.finished << " of " << flown
            << " player-like flights finish " << path << mend << '\n';
        return 1;
    }
    if (perfect && perfect->finished()) {
        out << "TOO HARD: only a perfect pilot finishes " << path << mend << '\n';
        return 1;
    }
    if (unfinishable) {
        out << "NOT FINISHABLE: " << *unfinishable << '\n';
        return 1;
    }
    out << "UNDECIDED: the game plays " << path << ", but no pilot of the checker finished it ("
        << failures(flights) << "), and the checker cannot tell why\n";
    return 3;
}

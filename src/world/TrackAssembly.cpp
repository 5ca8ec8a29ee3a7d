#include "world/TrackAssembly.h"

#include "world/GameBodies.h"
#include "world/LevelBuild.h"
#include "world/Placement.h"
#include "world/RingNumber.h"

using Severity = LevelFinding::Severity;

void placeRing(const std::string& name, const std::string& label, const std::string& shared,
               const Placement& placement, std::shared_ptr<const CookedMesh> shape,
               LevelBuild& build) {
    int32_t number = 0;
    switch (readRingNumber(name, number)) {
    case RingNumberRead::Read:
        break;
    case RingNumberRead::Missing:
        build.refuse("Level " + build.path + ": node " + label +
                         " is a ring (its name contains \"ring\"), but its name has no ring "
                         "number after its first \"_\"; name the rings ring_0, ring_1, ring_2, "
                         "...",
                     label, "it is a ring, but its name has no ring number after its first \"_\"",
                     "name the rings ring_0, ring_1, ring_2, ...");
        return;
    case RingNumberRead::OutOfRange:
        build.refuse("Level " + build.path + ": node " + label +
                         " has a ring number too large to be read; the ring numbers must run 0, "
                         "1, 2, ... without gaps.",
                     label, "its ring number is too large to be read",
                     "number the rings 0, 1, 2, ... without gaps");
        return;
    }
    GameObject ring =
        createRing(placement.position, placement.rotation, placement.scale, name, std::move(shape));
    // A second ring of the same number (two nodes sharing their meshes share
    // their name, too) is released here and dropped.
    if (build.ringsByNumber.try_emplace(number, std::move(ring)).second) {
        build.ringNodes.emplace(number, label);
        return;
    }
    const std::string& first = build.ringNodes.at(number);
    std::string why = label + " counts as a second ring " + std::to_string(number);
    if (!shared.empty()) {
        why += ", as it shares its meshes with " + shared;
    }
    build.droppedRings.push_back(why + ", and was left out");
    build.report(Severity::Error, label,
                 "it counts as a second ring " + std::to_string(number) + " after " + first +
                     (shared.empty() ? "" : ", as it shares its meshes with " + shared) +
                     ", and is left out",
                 shared.empty() ? "give each ring a number of its own"
                                : "give each ring a mesh of its own (in Blender: Object > "
                                  "Relations > Make Single User)");
}

void appendRings(LevelBuild& build) {
    const std::string& path = build.path;
    const std::string track = "number the rings ring_0, ring_1, ring_2, ... in the order they "
                              "are flown";
    if (build.ringsByNumber.empty()) {
        std::string problem = "it has no ring, so it can never be finished";
        if (build.unnamedMeshNodes > 0) {
            problem += " (a mesh node without a name was left out)";
        }
        build.refuse(path, problem,
                     "add rings named ring_0, ring_1, ... each with a collision child");
        return;
    }
    if (build.ringsByNumber.begin()->first < 0) {
        const auto& [number, node] = *build.ringNodes.begin();
        build.refuse("Level " + path + ": node " + node + " has the ring number " +
                         std::to_string(number) +
                         ", but the ring numbers must run 0, 1, 2, ... without gaps.",
                     node, "its ring number is " + std::to_string(number), track);
        return;
    }
    const int32_t count = static_cast<int32_t>(build.ringsByNumber.size());
    for (int32_t i = 0; i < count; ++i) {
        if (build.ringsByNumber.contains(i)) {
            continue;
        }
        std::string found;
        for (const auto& [number, node] : build.ringNodes) {
            found += (found.empty() ? "" : ", ") + node;
        }
        for (const std::string& dropped : build.droppedRings) {
            found += "; " + dropped;
        }
        if (build.unnamedMeshNodes > 0) {
            found += "; a mesh node without a name was left out (the importer empties names "
                     "of 1024 characters or more)";
        }
        const std::string problem = "the ring numbers must run 0, 1, 2, ... without gaps, but "
                                    "there is no ring_" +
                                    std::to_string(i) + " (found " + found + ")";
        build.refuse("Level " + path + ": " + problem + ".", path, problem, track);
        return;
    }
    for (int32_t i = 0; i < count; ++i) {
        build.objects.push_back(std::move(build.ringsByNumber.at(i)));
    }
    build.ringsByNumber.clear();
}

int32_t firstRingPosition(const std::list<GameObject>& objects) {
    int32_t position = 0;
    for (const GameObject& object : objects) {
        if (object.kind == ObjectKind::Ring) {
            return position;
        }
        ++position;
    }
    return -1;
}

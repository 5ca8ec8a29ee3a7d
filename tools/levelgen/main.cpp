// levelgen: writes the game's shipped content (the tracks with their skies and rock
// colours, the ship, textures) into a res/ folder. Deterministic: the same build writes the same
// files every time.
//
//     levelgen [--tracks] [RES_DIR]   (default: the source tree's res/)
//
// --tracks writes only the level files and their material files, which is quick, for
// tuning a track with the game's checker.

#include <cstdio>
#include <filesystem>
#include <string>

#include <assimp/Importer.hpp>
#include <assimp/postprocess.h>
#include <assimp/scene.h>

#include "ColladaWriter.h"
#include "Level.h"
#include "Noise.h"
#include "ShipModel.h"
#include "Skybox.h"
#include "Textures.h"
#include "Tracks.h"

namespace fs = std::filesystem;

namespace {

constexpr uint64_t SEED = 19;
constexpr int SKY_FACE_SIZE = 1024;

int fail(const std::string& message) {
    std::fprintf(stderr, "levelgen: %s\n", message.c_str());
    return 1;
}

// Reads the written level back the way the game does, as a last check of the file.
bool importsCleanly(const std::string& path, const LevelPlan& plan, std::string& problem) {
    Assimp::Importer importer;
    const aiScene* scene =
        importer.ReadFile(path, aiProcess_JoinIdenticalVertices | aiProcess_Triangulate |
                                    aiProcess_GenUVCoords | aiProcess_FlipUVs);
    if (!scene || (scene->mFlags & AI_SCENE_FLAGS_INCOMPLETE) || !scene->mRootNode) {
        problem = importer.GetErrorString();
        return false;
    }
    size_t expected = 1 + plan.lamps.size() + plan.asteroids.size() + 1 + plan.trashCans.size() +
                      plan.ringNodes.size();
    if (scene->mRootNode->mNumChildren != expected) {
        problem = "the root has " + std::to_string(scene->mRootNode->mNumChildren) +
                  " children, expected " + std::to_string(expected);
        return false;
    }
    return true;
}

void report(const LevelPlan& plan) {
    const TrackReport& r = plan.report;
    std::printf("%s (%s, difficulty %d): %zu rings, %.0f units, spacing %.0f to %.0f, largest "
                "ring-to-ring turn %.0f deg\n",
                plan.design.file.c_str(), plan.design.name.c_str(), plan.design.difficulty,
                plan.rings.size(), r.length, r.minSpacing, r.maxSpacing, r.maxRingTurn * 57.29578f);
    std::printf("  sharpest turn from ring to ring %.0f%% of a held key's %.2f rad/s\n",
                100.0f * r.ringLineTurnRate / plan.limits.steeringRate, plan.limits.steeringRate);
    std::printf("  turn rate needed on the line %.2f rad/s (steering gives %.2f); simulated pilot "
                "turned at most %.2f rad/s, passed every ring within %.1f of its centre (opening "
                "%.1f), in %.1f s\n",
                r.maxTurnRate, plan.limits.steeringRate, r.pilotMaxTurnRate, r.pilotWorstOffset,
                plan.limits.holeRadius, r.flightTime);
    std::printf("  clearance: nearest asteroid %.1f units from the line (corridor %.1f), %.1f from "
                "the pilot; %zu asteroids (%d beside the line, %d in narrow gaps), %zu trash "
                "cans, %zu lamps\n",
                r.corridorClearance, plan.limits.corridorRadius, r.pilotClearance,
                plan.asteroids.size(), plan.nearAsteroids, plan.gateAsteroids,
                plan.trashCans.size(), plan.lamps.size());
}

} // namespace

int main(int argc, char** argv) {
    bool tracksOnly = argc > 1 && std::string(argv[1]) == "--tracks";
    int rest = tracksOnly ? 2 : 1;
    fs::path res = argc > rest ? fs::path(argv[rest]) : fs::path(KELVARO_SOURCE_DIR) / "res";
    fs::path textures = res / "assets" / "textures";
    fs::path sky = textures / "cubemaps" / "BSpace";
    fs::path models = res / "assets" / "models";
    fs::path worlds = models / "worlds";
    std::error_code error;
    for (const auto& dir : {sky, worlds}) {
        fs::create_directories(dir, error);
        if (error) {
            return fail("cannot create " + dir.string() + ": " + error.message());
        }
    }

    // The first track is the game's own and keeps the shipped sky; every other track's sky
    // is the cube map named after its level file.
    Noise noise(SEED);
    const auto& designs = trackDesigns();
    for (size_t t = 0; t < designs.size(); ++t) {
        const TrackDesign& design = designs[t];
        LevelPlan plan;
        std::string problem;
        if (!planLevel(design, plan, problem)) {
            return fail(design.file + ": " + problem);
        }
        report(plan);
        fs::path level = worlds / design.file;
        if (!writeCollada(level.string(), plan)) {
            return fail("cannot write " + level.string());
        }
        if (!importsCleanly(level.string(), plan, problem)) {
            return fail(level.string() + " does not import: " + problem);
        }
        fs::path sidecar = level;
        if (!writeMaterialSidecar(sidecar.replace_extension(".materials").string(), plan)) {
            return fail("cannot write the material file of " + design.file);
        }
        if (t == 0 || tracksOnly) {
            continue;
        }
        fs::path ownSky = textures / "cubemaps" / level.stem();
        fs::create_directories(ownSky, error);
        if (error || !writeSkybox(ownSky.string(), SKY_FACE_SIZE, design.skySeed(), design.look)) {
            return fail("cannot write the sky in " + ownSky.string());
        }
        if (!writeRockColours(textures.string(), noise, design.look)) {
            return fail("cannot write the rock colours of " + design.file);
        }
    }
    if (tracksOnly) {
        return 0;
    }
    if (!writeShipModel((models / "spaceshipNew.obj").string(),
                        (models / "spaceshipNew.mtl").string())) {
        return fail("cannot write the ship model");
    }
    if (!writeMaterialTextures(textures.string(), noise)) {
        return fail("cannot write the textures in " + textures.string());
    }
    if (!writeSkybox(sky.string(), SKY_FACE_SIZE, SEED, TrackLook())) {
        return fail("cannot write the sky in " + sky.string());
    }
    std::printf("wrote %s\n", res.string().c_str());
    return 0;
}

// levelgen: writes the game's shipped content (level, ship, textures, sky) into a res/
// folder. Deterministic: the same build writes the same files every time.
//
//     levelgen [RES_DIR]        (default: the source tree's res/)

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

} // namespace

int main(int argc, char** argv) {
    fs::path res = argc > 1 ? fs::path(argv[1]) : fs::path(KELVARO_SOURCE_DIR) / "res";
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

    LevelPlan plan;
    std::string problem;
    if (!planLevel(SEED, plan, problem)) {
        return fail(problem);
    }
    const TrackReport& r = plan.report;
    std::printf("track: %zu rings, %.0f units, spacing %.0f to %.0f, largest ring-to-ring turn "
                "%.0f deg\n",
                plan.rings.size(), r.length, r.minSpacing, r.maxSpacing, r.maxRingTurn * 57.29578f);
    std::printf("turn rate needed on the line %.2f rad/s (steering gives %.2f); simulated pilot "
                "turned at most %.2f rad/s, passed every ring within %.1f of its centre (opening "
                "%.1f), in %.1f s\n",
                r.maxTurnRate, plan.limits.steeringRate, r.pilotMaxTurnRate, r.pilotWorstOffset,
                plan.limits.holeRadius, r.flightTime);
    std::printf("clearance: nearest asteroid %.1f units from the line (corridor %.1f), %.1f from "
                "the pilot; %zu asteroids (%d beside the line), %zu trash cans, %zu lamps\n",
                r.corridorClearance, plan.limits.corridorRadius, r.pilotClearance,
                plan.asteroids.size(), plan.nearAsteroids, plan.trashCans.size(),
                plan.lamps.size());

    fs::path level = worlds / "sub2demo_debug.dae";
    if (!writeCollada(level.string(), plan)) {
        return fail("cannot write " + level.string());
    }
    if (!importsCleanly(level.string(), plan, problem)) {
        return fail(level.string() + " does not import: " + problem);
    }
    if (!writeMaterialSidecar((worlds / "sub2demo_debug.materials").string())) {
        return fail("cannot write the level's material file");
    }
    if (!writeShipModel((models / "spaceshipNew.obj").string(),
                        (models / "spaceshipNew.mtl").string())) {
        return fail("cannot write the ship model");
    }
    Noise noise(SEED);
    if (!writeMaterialTextures(textures.string(), noise)) {
        return fail("cannot write the textures in " + textures.string());
    }
    if (!writeSkybox(sky.string(), SKY_FACE_SIZE, SEED)) {
        return fail("cannot write the sky in " + sky.string());
    }
    std::printf("wrote %s\n", res.string().c_str());
    return 0;
}

#include "LevelFolder.h"
#include "PngBytes.h"

#include "levelcheck/LevelCheck.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace {

const glm::quat NO_TURN(1, 0, 0, 0);
constexpr float RING_RADIUS = 6.0f;

TestMesh moved(TestMesh mesh, glm::vec3 offset) {
    for (glm::vec3& p : mesh.positions) {
        p += offset;
    }
    return mesh;
}

// The ship starts at the Camera node half a turn round, so with the node at
// the origin it flies towards -z.
void addRing(LevelWriter& level, int number, glm::vec3 position,
             const TestMesh& collision = discMesh(RING_RADIUS - 0.4f, 0.5f),
             const TestMaterial& material = {}) {
    level.addMeshNode("ring_" + std::to_string(number), "ring" + std::to_string(number),
                      torusMesh(RING_RADIUS, 0.4f), position, NO_TURN, glm::vec3(1.0f), collision,
                      material);
}

void addRock(LevelWriter& level, const std::string& name, glm::vec3 position, float radius) {
    level.addMeshNode(name, name, sphereMesh(radius), position, NO_TURN, glm::vec3(1.0f),
                      sphereMesh(radius));
}

void addCan(LevelWriter& level, const std::string& name, glm::vec3 position) {
    level.addMeshNode(name, "can", boxMesh({0.5f, 0.8f, 0.5f}), position, NO_TURN, glm::vec3(1.0f),
                      boxMesh({0.5f, 0.8f, 0.5f}));
}

// Where the ship starts, and a lamp.
LevelWriter startAndLamp() {
    LevelWriter level;
    level.addEmpty("Camera", {0, 0, 0});
    level.addLamp("Lamp", {0, 20, -30}, {1, 1, 1});
    return level;
}

LevelWriter straightTrack() {
    LevelWriter level = startAndLamp();
    addRing(level, 0, {0, 0, -30});
    addRing(level, 1, {0, 0, -60});
    return level;
}

// Three rings facing -z, the middle one `aside` metres to the right and each
// `gap` metres on: too sharp a swerve for the ship's turn, so each is flown
// with a loop.
LevelWriter slalom(float aside, float gap) {
    LevelWriter level = startAndLamp();
    addRing(level, 0, {0, 0, -30});
    addRing(level, 1, {aside, 0, -30 - gap});
    addRing(level, 2, {0, 0, -30 - 2 * gap});
    return level;
}

// One ring whose material's diffuse texture is `texture`, beside the level.
LevelWriter texturedRing(const std::string& texture) {
    LevelWriter level = startAndLamp();
    addRing(level, 0, {0, 0, -30}, discMesh(RING_RADIUS - 0.4f, 0.5f),
            {texture, "", {0.1f, 0.1f, 0.1f}, {0.5f, 0.5f, 0.5f}, 16.0f});
    return level;
}

// A one-pixel PNG whose header claims `width` x `height`: the size check
// reads the header only.
std::string pngClaiming(uint32_t width, uint32_t height) {
    std::string png = pngBytes(1, 1, 3, {0, 0, 0});
    for (int i = 0; i < 4; ++i) {
        png[16 + i] = char((width >> (24 - 8 * i)) & 0xff);
        png[20 + i] = char((height >> (24 - 8 * i)) & 0xff);
    }
    return png;
}

std::string randomBytes(std::size_t count) {
    std::mt19937 random(19);
    std::string bytes(count, '\0');
    for (char& byte : bytes) {
        byte = char(random() & 0xff);
    }
    return bytes;
}

// The level text with the transform `matrix` (16 numbers, rows first) given
// to ring_0's collision child.
std::string withChildMatrix(const std::string& text, const std::string& matrix) {
    const std::string node = "name=\"ring_0-coll\" type=\"NODE\">";
    const std::size_t at = text.find(node) + node.size();
    return text.substr(0, at) + "<matrix>" + matrix + "</matrix>" + text.substr(at);
}

// One mistake per row: the level that makes it, lines the checker must print
// (whole lines, where "..." stands for any text) and the exit code. The level is written as
// "level.dae" in the working folder and checked under that name.
struct CheckRow {
    const char* name;
    std::function<void(const TempDir&)> write;
    std::vector<std::string> lines;
    int exitCode;
};

void writeLevel(const TempDir& dir, const LevelWriter& level) {
    level.write(dir.path() / "level.dae");
}

const std::vector<CheckRow>& rows() {
    static const std::vector<CheckRow> table = {
        {"a playable level",
         [](const TempDir& dir) { writeLevel(dir, straightTrack()); },
         {"Player-like flights: finished by 8 of 8 (1.7 to 1.7 s)",
          "FINISHED 2/2 rings in 1.7 s, 0/0 cans, closest approach none (no obstacles)",
          "Difficulty: 1 of 5 (finished by 8 of 8 player-like flights; 59 m in 1.7 s; sharpest "
          "turn 1% of the ship's best turn rate; least clearance in a turn none; 0 obstacles "
          "within 10 m in turns; no loop)",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"a missing file",
         [](const TempDir&) {},
         {"ERROR level.dae: cannot be read: no such file; check the path, and that the "
          "file is a COLLADA level exported from Blender",
          "UNREADABLE: level.dae cannot be read"},
         2},
        {"a folder",
         [](const TempDir& dir) { std::filesystem::create_directories(dir.path() / "level.dae"); },
         {"ERROR level.dae: cannot be read: it is a folder, not a file; check the path, and "
          "that the file is a COLLADA level exported from Blender",
          "UNREADABLE: level.dae cannot be read"},
         2},
        {"a file that is not COLLADA",
         [](const TempDir& dir) { dir.write("level.dae", "not a level at all\n"); },
         {"ERROR level.dae: cannot be read: Assimp: ...", "UNREADABLE: level.dae cannot be read"},
         2},
        {"a glTF file the importer refuses once it has read it",
         [](const TempDir& dir) {
             dir.write("level.dae", R"({"asset":{"version":"2.0"},"nodes":[{"name":"Camera"}]})");
         },
         {"ERROR level.dae: is refused by the importer: Assimp: GLTF: No scene; export it again "
          "from Blender as glTF 2.0 (.glb)",
          "REFUSED: the game does not play level.dae"},
         1},
        {"no Camera node",
         [](const TempDir& dir) {
             LevelWriter level;
             addRing(level, 0, {0, 0, -30});
             writeLevel(dir, level);
         },
         {"ERROR level.dae: it has no node named \"Camera\", which marks where the ship starts; "
          "add a camera named Camera where the ship should start",
          "REFUSED: the game does not play level.dae"},
         1},
        {"a list of indices with a stray byte (which once made the importer ask for gigabytes)",
         [](const TempDir& dir) {
             const std::string text = straightTrack().str();
             const std::size_t list = text.find("<p>") + 3;
             dir.write("level.dae", text.substr(0, list) + '\x7f' + text.substr(list));
         },
         {"ERROR level.dae: holds a byte that is no character in a list of whole numbers (<p>), "
          "which the importer cannot read past; export it again from Blender as COLLADA (.dae)",
          "REFUSED: the game does not play level.dae"},
         1},
        {"a ring whose collision shape misses the middle of its opening",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             addRing(level, 0, {0, 0, -30}, moved(discMesh(2.0f, 0.5f), {5.0f, 0.0f, 0.0f}));
             writeLevel(dir, level);
         },
         {"ERROR ring_0: its collision shape does not reach the middle of its opening, so a ship "
          "flying through the middle is not counted; make its collision child a solid disc that "
          "fills the opening, centred on the ring",
          "Player-like flights: finished by 0 of 8; 1 missed ring_0; the rest not flown",
          "NOT FINISHED: missed ring_0 at 0.9 s (passed its opening without touching its "
          "collision shape)",
          "NOT FINISHABLE: the ship flies through the middle of ring_0 without touching its "
          "collision shape, so the ring never counts"},
         1},
        {"a ring whose collision shape fills only the middle of its opening",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             addRing(level, 0, {0, 0, -30}, discMesh(1.5f, 0.5f));
             writeLevel(dir, level);
         },
         {"WARNING ring_0: its collision shape spans only 27% of the width of its opening, so a "
          "ship passing off the middle is not counted; scale the collision child to fill the "
          "opening (the game applies the child's own transform, its scale too, to the collision "
          "shape)",
          "Player-like flights: finished by 8 of 8 (0.8 to 0.8 s)",
          "FINISHED 1/1 rings in 0.8 s, 0/0 cans, closest approach none (no obstacles)",
          "Difficulty: 1 of 5 (...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"a ring without a collision child",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             level.addMeshNode("ring_0", "ring0", torusMesh(RING_RADIUS, 0.4f), {0, 0, -30});
             writeLevel(dir, level);
         },
         {"ERROR ring_0: it has no collision child, so it is drawn but can never be passed; give "
          "it a child object whose mesh is its collision shape (a convex volume spanning the "
          "opening)",
          "Player-like flights: finished by 0 of 8; 1 could not fly; the rest not flown",
          "NOT FINISHED: ring_0 cannot be passed at 0.0 s (it has no collision shape)",
          "NOT FINISHABLE: ring_0 has no collision shape, so it can never be passed"},
         1},
        {"an asteroid touching the ship where it starts",
         [](const TempDir& dir) {
             LevelWriter level = straightTrack();
             addRock(level, "roid_start", {0, 0, 0}, 1.0f);
             writeLevel(dir, level);
         },
         {"ERROR roid_start: touches the ship's shapes where it starts, so the game ends at once; "
          "move it away from the Camera node, or the Camera node away from it",
          "Player-like flights: finished by 0 of 8; 8 hit roid_start",
          "NOT FINISHED: hit roid_start at 0.0 s",
          "A perfect pilot: NOT FINISHED: hit roid_start at 0.0 s",
          "NOT FINISHABLE: every way the ship can turn hits roid_start within 0.1 s of the start"},
         1},
        {"a can inside an asteroid",
         [](const TempDir& dir) {
             LevelWriter level = straightTrack();
             addRock(level, "roid_big", {25, 0, -30}, 5.0f);
             addCan(level, "tcan_0", {25, 0, -30});
             writeLevel(dir, level);
         },
         {"ERROR tcan_0: lies inside roid_big, so the ship cannot collect it without hitting the "
          "asteroid; move it out of the asteroid",
          "Player-like flights: finished by 8 of 8 (1.7 to 1.7 s)",
          "FINISHED 2/2 rings in 1.7 s, 0/1 cans, closest approach 20.0 m (roid_big at 0.9 s)",
          "Difficulty: 1 of 5 (...",
          "NOT OK: the game plays level.dae and 8 of 8 player-like flights finish it, but an error "
          "above "
          "must be mended first"},
         1},
        {"a missing texture",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             addRing(level, 0, {0, 0, -30}, discMesh(RING_RADIUS - 0.4f, 0.5f),
                     {"nothere.png", "", {0.1f, 0.1f, 0.1f}, {0.5f, 0.5f, 0.5f}, 16.0f});
             writeLevel(dir, level);
         },
         {"ERROR ring_0: its material names the texture nothere.png, which is neither in "
          "res/assets/textures/ nor beside the level (the game draws the surface in its own "
          "colour); copy the image to one of those places, or name one that is there",
          "Player-like flights: finished by 8 of 8 (0.8 to 0.8 s)",
          "FINISHED 1/1 rings in 0.8 s, 0/0 cans, closest approach none (no obstacles)",
          "Difficulty: 1 of 5 (...",
          "NOT OK: the game plays level.dae and 8 of 8 player-like flights finish it, but an error "
          "above "
          "must be mended first"},
         1},
        {"a texture of random bytes beside the level",
         [](const TempDir& dir) {
             dir.write("noise.png", randomBytes(4096));
             writeLevel(dir, texturedRing("noise.png"));
         },
         {"ERROR ring_0: its material's texture noise.png cannot be used: Image not of any known "
          "type, or corrupt (the game draws the surface without it); save the image again as a "
          "PNG or JPEG file of at most 4096x4096 pixels",
          "Player-like flights: finished by 8 of 8 (0.8 to 0.8 s)",
          "FINISHED 1/1 rings in 0.8 s, 0/0 cans, closest approach none (no obstacles)",
          "Difficulty: 1 of 5 (...",
          "NOT OK: the game plays level.dae and 8 of 8 player-like flights finish it, but an error "
          "above "
          "must be mended first"},
         1},
        {"a texture of 4097x4097 pixels beside the level",
         [](const TempDir& dir) {
             dir.write("huge.png", pngClaiming(4097, 4097));
             writeLevel(dir, texturedRing("huge.png"));
         },
         {"ERROR ring_0: its material's texture huge.png cannot be used: the image is 4097x4097 "
          "pixels; images of more than 16777216 pixels (4096x4096) are refused (the game draws "
          "the surface without it); save the image again as a PNG or JPEG file of at most "
          "4096x4096 pixels",
          "Player-like flights: finished by 8 of 8 (0.8 to 0.8 s)",
          "FINISHED 1/1 rings in 0.8 s, 0/0 cans, closest approach none (no obstacles)",
          "Difficulty: 1 of 5 (...",
          "NOT OK: the game plays level.dae and 8 of 8 player-like flights finish it, but an error "
          "above "
          "must be mended first"},
         1},
        {"a texture beside the level that the game reads",
         [](const TempDir& dir) {
             dir.write("small.png", pngBytes(8, 8, 1, std::vector<uint8_t>(64, 200)));
             writeLevel(dir, texturedRing("small.png"));
         },
         {"Player-like flights: finished by 8 of 8 (0.8 to 0.8 s)",
          "FINISHED 1/1 rings in 0.8 s, 0/0 cans, closest approach none (no obstacles)",
          "Difficulty: 1 of 5 (...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"a sky of its own with a face that is not square and one of random bytes",
         [](const TempDir& dir) {
             const std::string sky = "res/assets/textures/cubemaps/level/";
             for (const char* face : {"right", "left", "bottom", "front"}) {
                 dir.write(sky + face + ".png", pngBytes(4, 4, 1, std::vector<uint8_t>(16)));
             }
             dir.write(sky + "top.png", pngBytes(4, 2, 1, std::vector<uint8_t>(8)));
             dir.write(sky + "back.png", randomBytes(256));
             writeLevel(dir, texturedRing(""));
         },
         {"ERROR res/assets/textures/cubemaps/level/top.png: this face of the level's sky cannot "
          "be used: the face is not square or differs in size from the other faces (the game "
          "then draws the sky black); make the six faces square PNG images of one size",
          "ERROR res/assets/textures/cubemaps/level/back.png: this face of the level's sky "
          "cannot be used: Image not of any known type, or corrupt (the game then draws the sky "
          "black); make the six faces square PNG images of one size",
          "Player-like flights: finished by 8 of 8 (0.8 to 0.8 s)",
          "FINISHED 1/1 rings in 0.8 s, 0/0 cans, closest approach none (no obstacles)",
          "Difficulty: 1 of 5 (...",
          "NOT OK: the game plays level.dae and 8 of 8 player-like flights finish it, but 2 errors "
          "above "
          "must be mended first"},
         1},
        {"a long straight track that needs no key",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             for (int i = 0; i < 40; ++i) {
                 addRing(level, i, {0, 0, -400.0f * float(i + 1)});
             }
             writeLevel(dir, level);
         },
         {"Player-like flights: finished by 8 of 8 (...", "FINISHED 40/40 rings in ...",
          "Difficulty: 1 of 5 (...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"two rings side by side, the second flown back through",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             addRing(level, 0, {0, 0, -60});
             addRing(level, 1, {60, 0, -60});
             writeLevel(dir, level);
         },
         {"WARNING ring_1: its opening faces 90 degrees away from the line from ring_0, so a ship "
          "flying that line passes it side-on, through the drawn ring; turn it to face that "
          "line, or mean it: the pilot then flies a loop to line up with it",
          "Player-like flights: finished by 8 of 8 (...", "FINISHED 2/2 rings in ...",
          "Loop at ring_1: ...; ring_1 faces 90 degrees off the line from ring_0",
          "Difficulty: 5 of 5 (...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"a ring 20 m right of the start",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             addRing(level, 0, {20, 0, 0});
             writeLevel(dir, level);
         },
         {"WARNING ring_0: its opening faces 90 degrees away from the line from the start, so a "
          "ship flying that line passes it side-on, through the drawn ring; turn it to face "
          "that line, or mean it: the pilot then flies a loop to line up with it",
          "WARNING Camera: its view misses ring_0, which lies 90 degrees off where it looks (the "
          "view reaches 61 degrees to each side), so a player starts by searching for it; turn "
          "the Camera towards ring_0",
          "Player-like flights: finished by 8 of 8 (...", "FINISHED 1/1 rings in ...",
          "Loop at ring_0: ...", "Difficulty: ...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"rings off the straight line, each flown with a loop",
         [](const TempDir& dir) { writeLevel(dir, slalom(16.0f, 35.0f)); },
         {"Player-like flights: finished by 8 of 8 (...", "FINISHED 3/3 rings in ...",
          "Loop at ring_1: ...; it lies 25 degrees off the way out of ring_0, only 38 m on: too "
          "sharp a turn for that room",
          "Loop at ring_2: ...", "Difficulty: 5 of 5 (...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"a ring beside the one before, with a rock where a player comes round, that only a "
         "perfect pilot flies",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             addRing(level, 0, {0, 0, -60});
             addRing(level, 1, {60, 0, -60});
             addRock(level, "roid_x", {65, 0, -80}, 8.0f);
             writeLevel(dir, level);
         },
         {"WARNING ring_1: its opening faces 90 degrees away from the line from ring_0, so a ship "
          "flying that line passes it side-on, through the drawn ring; turn it to face that "
          "line, or mean it: the pilot then flies a loop to line up with it",
          "Player-like flights: finished by 2 of 8 (...; 6 gave up at ring_1",
          "FINISHED 2/2 rings in ...", "NOT FINISHED: the checker gave up at ring_1 after ...",
          "Loop at ring_1: ...", "Difficulty: 5 of 5 (finished by 2 of 8 player-like flights; ...",
          "A perfect pilot: FINISHED 2/2 rings in ...",
          "TOO HARD: only 2 of 8 player-like flights finish level.dae"},
         1},
        {"a light whose node name lacks Lamp, and so no lamp at all",
         [](const TempDir& dir) {
             LevelWriter level;
             level.addEmpty("Camera", {0, 0, 0});
             level.addLamp("Light", {0, 20, -30}, {1, 1, 1});
             addRing(level, 0, {0, 0, -30});
             writeLevel(dir, level);
         },
         {"WARNING Light: it is a light, but its name does not contain Lamp, so it gives no "
          "light; name it with Lamp (Lamp, Lamp.001, ...)",
          "WARNING level.dae: it has no lamp, so the track is lit by the faint ambient light "
          "alone; add a point light whose node name contains Lamp",
          "Player-like flights: finished by 8 of 8 (0.8 to 0.8 s)",
          "FINISHED 1/1 rings in 0.8 s, 0/0 cans, closest approach none (no obstacles)",
          "Difficulty: 1 of 5 (...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"a collision child whose transform is the identity but for Blender's rounding",
         [](const TempDir& dir) {
             dir.write("level.dae",
                       withChildMatrix(straightTrack().str(), "0.9999999 0 0 1.5e-5 0 1 0 0 0 0 "
                                                              "0.9999999 -2e-5 0 0 0 1"));
         },
         {"Player-like flights: finished by 8 of 8 (1.7 to 1.7 s)",
          "FINISHED 2/2 rings in 1.7 s, ...", "Difficulty: 1 of 5 (...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"a collision child moved relative to its ring",
         [](const TempDir& dir) {
             dir.write("level.dae",
                       withChildMatrix(straightTrack().str(), "1 0 0 0.5 0 1 0 0 0 0 1 0 0 0 0 1"));
         },
         {"WARNING ring_0: its collision child ring_0-coll is moved 0.50 m relative to it; the "
          "game applies that to the collision shape; nothing to do if the shape then covers what "
          "is drawn; otherwise apply the child's transform in Blender (Ctrl+A)",
          "Player-like flights: finished by 8 of 8 (1.7 to 1.7 s)",
          "FINISHED 2/2 rings in 1.7 s, ...", "Difficulty: 1 of 5 (...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"an obstacle across the whole way",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             level.addMeshNode("roid_wall", "roid_wall", boxMesh({150.0f, 150.0f, 1.0f}),
                               {0, 0, -40}, NO_TURN, glm::vec3(1.0f),
                               boxMesh({150.0f, 150.0f, 1.0f}));
             addRing(level, 0, {0, 0, -60});
             writeLevel(dir, level);
         },
         {"WARNING roid_wall: it lies on the straight line from the start into ring_0, 17 m "
          "before the ring, ...",
          "Player-like flights: finished by 0 of 8; 8 hit roid_wall",
          "NOT FINISHED: hit roid_wall at ...",
          "A perfect pilot: NOT FINISHED: hit roid_wall at ...",
          "NOT FINISHABLE: every way the ship can turn hits roid_wall within ..."},
         1},
        {"a rock 35 m ahead that every way of turning meets",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             addRing(level, 0, {0, 0, -120});
             addRock(level, "asteroid_a", {0, 0, -50}, 15.0f);
             writeLevel(dir, level);
         },
         {"Player-like flights: finished by 0 of 8; 8 hit asteroid_a",
          "NOT FINISHED: hit asteroid_a at 1.0 s",
          "A perfect pilot: NOT FINISHED: hit asteroid_a at 1.0 s",
          "NOT FINISHABLE: every way the ship can turn hits asteroid_a within 1.0 s of the start"},
         1},
        {"a rock 30 m in front of ring_0, on the line",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             addRing(level, 0, {0, 0, -120});
             addRock(level, "roid_blocker", {0, 0, -90}, 4.0f);
             writeLevel(dir, level);
         },
         {"WARNING roid_blocker: it lies on the straight line from the start into ring_0, 24 m "
          "before the ring, so the ship must swerve round it just where it lines up with the "
          "ring; move it off that line, or mean it",
          "Player-like flights: finished by 8 of 8 (...", "FINISHED 1/1 rings in ...",
          "Loop at ring_0: ...", "Difficulty: ...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"a straight track with a rock 8 m aside that forces no steering",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             for (int i = 0; i < 4; ++i) {
                 addRing(level, i, {0, 0, -60.0f * float(i + 1)});
             }
             addRock(level, "roid_aside", {11, 0, -90}, 3.0f);
             writeLevel(dir, level);
         },
         {"Player-like flights: finished by 8 of 8 (...", "FINISHED 4/4 rings in ...",
          "Difficulty: 1 of 5 (finished by 8 of 8 player-like flights; 239 m in 6.8 s; sharpest "
          "turn 2% of the ship's best turn rate; least clearance in a turn ...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"a straight corridor of 20 small rocks 9.5 m from the line, flown with no key",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             for (int i = 0; i < 5; ++i) {
                 addRing(level, i, {0, 0, -60.0f * float(i + 1)});
             }
             for (int i = 0; i < 20; ++i) {
                 const float side = i % 2 == 0 ? 10.5f : -10.5f;
                 addRock(level, "roid_" + std::to_string(i), {side, 0, -15.0f * float(i + 1)},
                         1.0f);
             }
             writeLevel(dir, level);
         },
         // No key is needed, but the players' small corrections pass the rocks in slight
         // turns: graded 3, not 5 as the rocks beside the line alone once made it.
         {"Player-like flights: finished by 8 of 8 (...", "FINISHED 5/5 rings in ...",
          "Loop at ring_4: 21.5 s lost in 1 of 8 flights, ...", "Difficulty: 3 of 5 (...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"gentle curves whose rings open only 0.3 m, missed and come round for",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             for (int i = 0; i < 3; ++i) {
                 const glm::vec3 at(i % 2 == 0 ? 0.0f : 12.0f, 0.0f, -80.0f * float(i + 1));
                 level.addMeshNode("ring_" + std::to_string(i), "ring" + std::to_string(i),
                                   torusMesh(RING_RADIUS, 0.4f), at, NO_TURN, glm::vec3(1.0f),
                                   discMesh(0.15f, 0.05f));
             }
             writeLevel(dir, level);
         },
         {"WARNING ring_0: its collision shape spans only 3% of the width of its opening, ...",
          "WARNING ring_1: its collision shape spans only 3% of the width of its opening, ...",
          "WARNING ring_2: its collision shape spans only 3% of the width of its opening, ...",
          "Player-like flights: finished by 7 of 8 (...; 1 gave up at ring_2",
          "FINISHED 3/3 rings in ...", "Loop at ring_1: ...; its opening is only 0.3 m wide",
          "Loop at ring_2: ...; its opening is only 0.3 m wide",
          "Difficulty: 3 of 5 (finished by 7 of 8 player-like flights; ...; 1 loop)",
          "OK: the game plays level.dae and 7 of 8 player-like flights finish it"},
         0},
        {"a ring closed in a box of rocks, which no pilot reaches",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             addRing(level, 0, {0, 0, -150});
             const glm::vec3 walls[] = {{0, 0, -125},   {0, 0, -175},  {25, 0, -150},
                                        {-25, 0, -150}, {0, 25, -150}, {0, -25, -150}};
             for (int i = 0; i < 6; ++i) {
                 const glm::vec3 w = walls[i] - glm::vec3(0, 0, -150);
                 const glm::vec3 half(w.x != 0.0f ? 1.0f : 26.0f, w.y != 0.0f ? 1.0f : 26.0f,
                                      w.z != 0.0f ? 1.0f : 26.0f);
                 const std::string name = "roid_box" + std::to_string(i);
                 level.addMeshNode(name, name, boxMesh(half), walls[i], NO_TURN, glm::vec3(1.0f),
                                   boxMesh(half));
             }
             writeLevel(dir, level);
         },
         {"WARNING roid_box0: it lies on the straight line from the start into ring_0, ...",
          "Player-like flights: finished by 0 of 8; 8 hit roid_box0",
          "NOT FINISHED: hit roid_box0 at 3.5 s",
          "A perfect pilot: NOT FINISHED: hit roid_box0 at 3.5 s",
          "UNDECIDED: the game plays level.dae, but no pilot of the checker finished it (8 hit "
          "roid_box0), and the checker cannot tell why"},
         3},
        {"a ring inside a rock",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             addRing(level, 0, {0, 0, -200});
             addRock(level, "roid_round", {0, 0, -200}, 12.0f);
             writeLevel(dir, level);
         },
         {"WARNING roid_round: it lies on the straight line from the start into ring_0, ...",
          "Player-like flights: finished by 0 of 8; ...", "NOT FINISHED: hit roid_round at ...",
          "A perfect pilot: NOT FINISHED: hit roid_round at ...",
          "NOT FINISHABLE: ring_0 lies inside roid_round, so no way leads through it"},
         1},
        {"a Camera looking away from ring_0",
         [](const TempDir& dir) {
             LevelWriter level;
             level.addEmpty("Camera", {0, 0, 0},
                            glm::angleAxis(glm::radians(90.0f), glm::vec3(0, 1, 0)));
             level.addLamp("Lamp", {0, 20, -30}, {1, 1, 1});
             addRing(level, 0, {0, 0, -150});
             writeLevel(dir, level);
         },
         {"WARNING Camera: its view misses ring_0, which lies 90 degrees off where it looks (the "
          "view reaches 61 degrees to each side), so a player starts by searching for it; turn "
          "the Camera towards ring_0",
          "Player-like flights: finished by 8 of 8 (...", "FINISHED 1/1 rings in ...",
          "Loop at ring_0: ...", "Difficulty: ...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"a lamp of 10 W beside the track",
         [](const TempDir& dir) {
             LevelWriter level = straightTrack();
             level.addLamp("Lamp.001", {5, 0, -45}, {10, 10, 10}, {1.0f, 0.0f, 1.0f / 625.0f});
             writeLevel(dir, level);
         },
         {"WARNING Lamp.001: its brightness of 10 (10 W in Blender) washes a light surface out to "
          "white within 50 m, and ring_1 is 15 m from it; set the lamp's power to about 1 W (2 W "
          "at most) in Blender",
          "Player-like flights: finished by 8 of 8 (1.7 to 1.7 s)",
          "FINISHED 2/2 rings in 1.7 s, ...", "Difficulty: 1 of 5 (...",
          "OK: the game plays level.dae and 8 of 8 player-like flights finish it"},
         0},
        {"a ring too sharp a turn away, flown with a loop",
         [](const TempDir& dir) {
             LevelWriter level = startAndLamp();
             addRing(level, 0, {0, 0, -20});
             addRing(level, 1, {30, 0, -26});
             writeLevel(dir, level);
         },
         {"WARNING ring_1: its opening faces 79 degrees away from the line from ring_0, so a ship "
          "flying that line passes it side-on, through the drawn ring; turn it to face that "
          "line, or mean it: the pilot then flies a loop to line up with it",
          "Player-like flights: finished by 7 of 8 (...; 1 gave up at ring_1",
          "FINISHED 2/2 rings in ...",
          "Loop at ring_1: ...; ring_1 faces 79 degrees off the line from ring_0",
          "Difficulty: 5 of 5 (...",
          "OK: the game plays level.dae and 7 of 8 player-like flights finish it"},
         0},
    };
    return table;
}

// Whether `line` is `expected`, where each "..." in it stands for any text.
bool matches(const std::string& line, const std::string& expected) {
    std::size_t from = 0, at = 0;
    while (true) {
        const std::size_t gap = expected.find("...", from);
        const std::string piece = expected.substr(from, gap - from);
        if (from == 0 ? line.compare(0, piece.size(), piece) != 0
                      : (at = line.find(piece, at)) == std::string::npos) {
            return false;
        }
        at += piece.size();
        if (gap == std::string::npos) {
            // The last piece ends the line; after a last "..." anything may.
            return piece.empty() ? from > 0 || at == line.size()
                                 : at == line.size() || (from > 0 && line.ends_with(piece));
        }
        from = gap + 3;
    }
}

std::vector<std::string> splitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    return lines;
}

class LevelCheck : public LevelFolder {
protected:
    // Runs the checker; its exit code, with the lines in `lines`.
    int check(const std::string& path) {
        std::ostringstream out;
        testing::internal::CaptureStdout();
        const int code = checkLevel(path, out);
        console = testing::internal::GetCapturedStdout();
        lines = splitLines(out.str());
        return code;
    }

    std::vector<std::string> lines;
    std::string console;
};

TEST_F(LevelCheck, EachMistakeGetsItsLineAndExitCode) {
    for (const CheckRow& row : rows()) {
        SCOPED_TRACE(row.name);
        std::filesystem::remove_all(folder.path() / "level.dae");
        // A sky folder named after the level would be every later level's.
        std::filesystem::remove_all(folder.path() / "res/assets/textures/cubemaps");
        row.write(folder);
        const int code = check("level.dae");
        std::string all;
        for (const std::string& line : lines) {
            all += line + "\n";
        }
        EXPECT_EQ(code, row.exitCode) << all;
        // The whole table, for a designer reading the test's log.
        std::cout << "== " << row.name << " (exit " << code << ")\n" << all;
        // Each mistake is said once: no line beyond the expected ones.
        EXPECT_EQ(lines.size(), row.lines.size()) << all;
        for (const std::string& expected : row.lines) {
            EXPECT_TRUE(
                std::any_of(lines.begin(), lines.end(),
                            [&](const std::string& line) { return matches(line, expected); }))
                << "missing line: " << expected << "\nprinted:\n"
                << all;
        }
        // The verdict comes last; nothing goes to the console besides it.
        ASSERT_FALSE(lines.empty());
        EXPECT_TRUE(matches(lines.back(), row.lines.back())) << all;
        EXPECT_EQ(console, "");
    }
}

// A glTF level carries its images: each is read as the game reads it.
TEST_F(LevelCheck, AnImageEmbeddedInAGltfLevelIsChecked) {
    std::ifstream seed(std::string(KELVARO_SOURCE_DIR) + "/fuzz/corpus/gltf/seed.glb",
                       std::ios::binary);
    std::string glb((std::istreambuf_iterator<char>(seed)), {});
    const std::size_t png = glb.find("\x89PNG");
    ASSERT_NE(png, std::string::npos);
    // Its header (8 bytes of signature, then the IHDR chunk) claims 4097x4097.
    glb.replace(png, 24, pngClaiming(4097, 4097).substr(0, 24));
    // Embedded images are kept by the level's name for the run: a name of its own.
    folder.write("huge-image.glb", glb);
    EXPECT_EQ(check("huge-image.glb"), 1);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) { return line.starts_with("ERROR"); }),
              1);
    EXPECT_TRUE(std::any_of(lines.begin(), lines.end(), [](const std::string& line) {
        return matches(line, "ERROR roid_0: its material's texture *0 (an image embedded in the "
                             "level) cannot be used: the image is 4097x4097 pixels; ...");
    }));
    ASSERT_FALSE(lines.empty());
    EXPECT_TRUE(lines.back().starts_with("NOT OK: ")) << lines.back();
}

TEST_F(LevelCheck, APlayableLevelGetsNoErrorOrWarning) {
    straightTrack().write(folder.path() / "level.dae");
    EXPECT_EQ(check("level.dae"), 0);
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_TRUE(matches(lines[1], "FINISHED 2/2 rings in ...")) << lines[1];
    EXPECT_EQ(lines[0].find("ERROR"), std::string::npos);
}

TEST_F(LevelCheck, TheShippedLevelHasNoFindingsAndIsFinished) {
    const std::string shipped =
        std::string(KELVARO_SOURCE_DIR) + "/res/assets/models/worlds/sub2demo_debug.dae";
    ScopedWorkingDir here(KELVARO_SOURCE_DIR);
    EXPECT_EQ(check(shipped), 0);
    ASSERT_EQ(lines.size(), 4u) << lines.front();
    EXPECT_TRUE(matches(lines[0], "Player-like flights: finished by 8 of 8 (...")) << lines[0];
    EXPECT_TRUE(matches(lines[1], "FINISHED 12/12 rings in ...")) << lines[1];
    // The shipped track is the first of the ladder.
    EXPECT_TRUE(matches(lines[2], "Difficulty: 1 of 5 (...")) << lines[2];
    EXPECT_EQ(lines[3],
              "OK: the game plays " + shipped + " and 8 of 8 player-like flights finish it");
    std::cout << lines[0] << "\n" << lines[1] << "\n" << lines[2] << "\n";
}

// A designer's level built in Blender 3.4 and exported three ways
// (tools/blender/make_loop_level.py): the exporters round differently, and
// the verdict, the grade and the loops named must not follow the rounding.
TEST_F(LevelCheck, TheSameLevelGetsTheSameVerdictInEveryFormat) {
    const std::string folderOfLevel = std::string(KELVARO_TEST_DATA_DIR) + "/loop_level/";
    std::vector<std::string> verdicts, grades, loops;
    for (const char* format : {"dae", "glb", "gltf"}) {
        SCOPED_TRACE(format);
        const int code = check(folderOfLevel + "loop." + format);
        ASSERT_FALSE(lines.empty());
        std::string loopRings;
        for (const std::string& line : lines) {
            if (line.starts_with("Difficulty: ")) {
                grades.push_back(line.substr(0, line.find(" (")));
            }
            if (line.starts_with("Loop at ")) {
                loopRings += line.substr(0, line.find(':')) + "; ";
            }
        }
        loops.push_back(loopRings);
        const std::string verdict = lines.back().substr(0, lines.back().find(':'));
        verdicts.push_back(verdict + " " + std::to_string(code));
        std::cout << format << ": " << grades.back() << "; " << loopRings << verdicts.back()
                  << "\n";
    }
    ASSERT_EQ(grades.size(), 3u);
    EXPECT_EQ(verdicts[0], "OK 0");
    for (size_t i = 1; i < 3; ++i) {
        EXPECT_EQ(verdicts[i], verdicts[0]);
        EXPECT_EQ(grades[i], grades[0]);
        EXPECT_EQ(loops[i], loops[0]);
    }
    // The ring turned 80 degrees off the line into it is named.
    EXPECT_NE(loops[0].find("Loop at ring_5"), std::string::npos) << loops[0];
}

// The check is repeatable: the pilots' seeds are fixed and they fly one
// after the other, so nothing depends on timing.
TEST_F(LevelCheck, ACheckTwiceSaysTheSame) {
    slalom(16.0f, 35.0f).write(folder.path() / "level.dae");
    check("level.dae");
    const std::vector<std::string> first = lines;
    check("level.dae");
    EXPECT_EQ(lines, first);
}

TEST(FindingLine, NamesTheSeverityNodeProblemAndRemedy) {
    EXPECT_EQ(findingLine({LevelFinding::Severity::Error, "ring_3", "too small.", "scale it up"}),
              "ERROR ring_3: too small; scale it up");
    EXPECT_EQ(findingLine({LevelFinding::Severity::Warning, "Lamp", "very bright", "use 1-10 W"}),
              "WARNING Lamp: very bright; use 1-10 W");
    EXPECT_EQ(findingLine({LevelFinding::Severity::Error, "a.dae", "no Camera.", ""}),
              "ERROR a.dae: no Camera.");
}

} // namespace

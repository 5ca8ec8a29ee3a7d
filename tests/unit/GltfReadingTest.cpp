// The pieces of reading a glTF level that stand alone: its JSON, and its
// lamps in the game's units.
#include "world/LevelChecks.h"
#include "world/LevelLamps.h"
#include "world/gltf/GltfFile.h"
#include "world/gltf/Json.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(GltfJson, ValuesAreReadAsTheImportersReaderReadsThem) {
    const JsonRead read =
        readJson(" {\"a\": [1, -2.5e1, true, null, \"x\\u00e9\\ud83d\\ude00\\n\"],"
                 " \"b\": {\"n\": 3}} ",
                 4);
    ASSERT_TRUE(read.value) << read.problem;
    ASSERT_TRUE(read.value->isObject());
    const JsonValue* a = read.value->find("b");
    ASSERT_NE(a, nullptr);
    ASSERT_TRUE(a->isObject());
    EXPECT_EQ(a->find("n")->number, 3.0);
    EXPECT_TRUE(a->find("n")->isInteger());
    const JsonValue& list = read.value->items[0];
    ASSERT_EQ(list.items.size(), 5u);
    EXPECT_EQ(list.items[1].number, -25.0);
    EXPECT_FALSE(list.items[1].isInteger() && list.items[1].number > 0);
    EXPECT_TRUE(list.items[2].boolean);
    EXPECT_EQ(list.items[3].kind, JsonValue::Kind::Null);
    EXPECT_EQ(list.items[4].text, "x\xC3\xA9\xF0\x9F\x98\x80\n");
}

TEST(GltfJson, BrokenTextIsRefusedWithWhereAndWhy) {
    struct Case {
        std::string text;
        std::string problem;
    };
    const std::vector<Case> cases = {
        {"", "is not JSON at byte 0: it ends too early"},
        {"{\"a\" 1}", "is not JSON at byte 5: a ':' is missing"},
        {"[1 2]", "is not JSON at byte 3: a ',' or ']' is missing"},
        {"[01]", "is not JSON at byte 1: a number starts with a zero"},
        {"[1.]", "is not JSON at byte 3: a number has no digits after its point"},
        {"\"\\ud800\"", "is not JSON at byte 7: a \\u escape is half of a pair"},
        {"\"a\tb\"", "is not JSON at byte 3: a string holds a control character"},
        {"[nul]", "is not JSON at byte 1: an unknown word"},
        {"{} {}", "is not JSON: text follows its end at byte 3"},
        {"[[[[[1]]]]]", "nests its JSON more than 4 levels deep"},
        // Readers differ on which of the two counts, escaped or not.
        {"{\"a\": {\"b\": 1, \"\\u0062\": []}}",
         "names the member \"b\" twice in one object (ending at byte 28), which the importer "
         "reads otherwise than the game"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const JsonRead read = readJson(c.text, 4);
        EXPECT_FALSE(read.value);
        EXPECT_EQ(read.problem, c.problem);
    }
    // Beyond a double: never an index.
    const JsonRead huge = readJson("[1e999]", 4);
    ASSERT_TRUE(huge.value);
    EXPECT_FALSE(huge.value->items[0].isInteger());
}

// What the importer cannot survive although the format allows it, refused
// before it reads the file: each row a level's JSON and the start of the
// problem ("" for none).
TEST(GltfChecks, WhatTheImporterCannotSurviveIsRefused) {
    // Three million vertices of zeros, named `uses` times by primitives of
    // one mesh and `targets` morph targets of each.
    const auto zeros = [](int uses, int targets, const std::string& primitive = "") {
        std::string target = R"({"POSITION":0})";
        std::string list = R"("targets":[)";
        for (int t = 0; t < targets; ++t) {
            list += (t ? "," : "") + target;
        }
        std::string primitives;
        for (int u = 0; u < uses; ++u) {
            primitives += std::string(u ? "," : "") + R"({"attributes":{"POSITION":0},)" +
                          primitive + list + "]}";
        }
        return R"({"asset":{"version":"2.0"},"accessors":[{"componentType":5126,"count":)" +
               std::string(primitive.empty() ? "3000000" : "2") +
               R"(,"type":"VEC3"}],"meshes":[{"primitives":[)" + primitives + "]}]}";
    };
    struct Case {
        std::string json, problem;
    };
    const std::vector<Case> cases = {
        {zeros(2, 0), ""},
        {zeros(3, 0),
         "has meshes whose primitives and morph targets name more than 6000000 vertices and "
         "indices in all, each use counted (a primitive of mesh 0 goes beyond)"},
        {zeros(1, 2), "has meshes whose primitives and morph targets name more than 6000000"},
        {zeros(1, 0, R"("mode":5,)"),
         "has a primitive of mesh 0 that is a triangle strip of 2 points, fewer than the 3 it "
         "needs"},
        {zeros(1, 0, R"("mode":2,)"), ""},
        {R"({"asset":{"version":"2.0"},"nodes":[{}],"skins":[{"joints":[0]}]})",
         "has skin 0 without inverse bind matrices, which the importer cannot do without"},
        // Refused before any is read.
        {R"({"asset":{"version":"2.0"},"buffers":[{"byteLength":200000000,"uri":"a.bin"},)"
         R"({"byteLength":200000000,"uri":"a.bin"}]})",
         "has buffers of more than 256 MB in all; the game reads levels up to that size"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json.substr(0, 200));
        const GltfFileCheck check = checkGltf("level.gltf", c.json, false);
        EXPECT_EQ(check.problem.substr(0, c.problem.size()), c.problem);
        EXPECT_EQ(check.problem.empty(), c.problem.empty()) << check.problem;
    }
}

TEST(GltfLamps, CandelaBecomeWattsWithTheFallOffOfACOLLADALamp) {
    struct Case {
        float candela;
        float range;
        glm::vec3 watts;
        float quadratic;
    };
    for (const Case& c : {Case{543.5141306588226f, 0.0f, glm::vec3(10.0f), 1.0f / 625.0f},
                          Case{81.52711959882339f, 0.0f, glm::vec3(1.5f), 1.0f / 625.0f},
                          Case{54.35141306588226f, 100.0f, glm::vec3(1.0f), 1.0f / 100.0f},
                          Case{54.35141306588226f, 1000.0f, glm::vec3(1.0f), 1.0f / 625.0f}}) {
        SCOPED_TRACE(c.candela);
        const LampValues lamp = gltfLamp(glm::vec3(c.candela), c.range);
        EXPECT_EQ(lamp.colour, c.watts);
        EXPECT_EQ(lamp.attenuation.x, 1.0f);
        EXPECT_EQ(lamp.attenuation.y, 0.0f);
        EXPECT_FLOAT_EQ(lamp.attenuation.z, c.quadratic);
    }
    // Too bright: said in the file's units.
    std::vector<LevelFinding> findings;
    const PointLight light = saneLamp("Lamp", glm::vec3(100.0f), glm::vec3(0.0f),
                                      glm::vec3(1, 0, 0), findings, LampUnits::Candela);
    EXPECT_EQ(light.color, glm::vec3(1.0f));
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].problem.rfind("its intensity of 5435", 0), 0u) << findings[0].problem;
    EXPECT_NE(findings[0].problem.find("(100 W in Blender)"), std::string::npos);
}

} // namespace

// The pieces of reading a glTF level that stand alone: its JSON, and its
// lamps in the game's units.
#include "world/LevelChecks.h"
#include "world/LevelLamps.h"
#include "world/gltf/Json.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(GltfJson, ValuesAreReadAsTheImportersReaderReadsThem) {
    const JsonRead read =
        readJson(" {\"a\": [1, -2.5e1, true, null, \"x\\u00e9\\ud83d\\ude00\\n\"],"
                 " \"a\": {\"n\": 3}} ",
                 4);
    ASSERT_TRUE(read.value) << read.problem;
    ASSERT_TRUE(read.value->isObject());
    // A key given twice: the last wins.
    const JsonValue* a = read.value->find("a");
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

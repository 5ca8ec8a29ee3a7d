#include "world/LevelChecks.h"

#include <algorithm>
#include <cmath>
#include <sstream>

namespace {

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

std::string words(const glm::vec3& v) {
    std::ostringstream out;
    out << v.x << " " << v.y << " " << v.z;
    return out.str();
}

} // namespace

std::string placementProblem(const glm::vec3& position, const glm::quat& rotation,
                             const glm::dvec3& scale) {
    if (!finite(position) ||
        !(std::isfinite(scale.x) && std::isfinite(scale.y) && std::isfinite(scale.z)) ||
        !(std::isfinite(rotation.w) && std::isfinite(rotation.x) && std::isfinite(rotation.y) &&
          std::isfinite(rotation.z))) {
        return "its transform is not finite (it holds NaN or an infinite value)";
    }
    for (int axis = 0; axis < 3; ++axis) {
        const double factor = std::abs(scale[axis]);
        if (factor > MAX_LEVEL_SCALE || factor < MIN_LEVEL_SCALE) {
            std::ostringstream out;
            out << "its scale (" << scale.x << " " << scale.y << " " << scale.z
                << ") is outside what the game plays (" << MIN_LEVEL_SCALE << " to "
                << MAX_LEVEL_SCALE << " on each axis)";
            return out.str();
        }
    }
    if (glm::length(position) > MAX_LEVEL_DISTANCE) {
        std::ostringstream out;
        out << "it lies " << glm::length(position) << " m from the origin, beyond the "
            << MAX_LEVEL_DISTANCE << " m the game plays";
        return out.str();
    }
    return {};
}

PointLight saneLamp(const std::string& name, glm::vec3 colour, const glm::vec3& position,
                    glm::vec3 attenuation, std::vector<LevelFinding>& findings, LampUnits units) {
    using Severity = LevelFinding::Severity;
    bool broken = false;
    for (int c = 0; c < 3; ++c) {
        if (!std::isfinite(colour[c]) || colour[c] < 0.0f) {
            broken = true;
        }
    }
    if (broken) {
        const std::string given = words(colour);
        for (int c = 0; c < 3; ++c) {
            if (!std::isfinite(colour[c]) || colour[c] < 0.0f) {
                colour[c] = 0.0f;
            }
        }
        findings.push_back({Severity::Error, name,
                            "its colour (" + given +
                                ") has a negative or undefined channel, which paints black "
                                "patches; the game uses " +
                                words(colour),
                            "give the lamp a colour between 0 and 1"});
    }
    const float brightest = std::max({colour.r, colour.g, colour.b});
    if (brightest > MAX_LAMP_COLOUR) {
        const std::string given = words(colour);
        colour /= brightest;
        if (units == LampUnits::Candela) {
            std::ostringstream intensity;
            intensity << brightest * CANDELA_PER_WATT << " cd (" << brightest << " W in Blender)";
            findings.push_back(
                {Severity::Warning, name,
                 "its intensity of " + intensity.str() +
                     " turns everything white; the game lights with up to 10 W and "
                     "scales it down to the colour " +
                     words(colour),
                 "set the lamp's power to about 1 W (2 W at most) in Blender (54-109 cd)"});
        } else {
            findings.push_back({Severity::Warning, name,
                                "its colour (" + given +
                                    ") is far above 1, which turns everything white (Blender "
                                    "writes a lamp's power in watts as its colour); the game "
                                    "scales it down to " +
                                    words(colour),
                                "set the lamp's power to about 1 W (2 W at most) in Blender"});
        }
    }
    const bool usable = finite(attenuation) && attenuation.x >= 0.0f && attenuation.y >= 0.0f &&
                        attenuation.z >= 0.0f &&
                        (attenuation.x > 0.0f || attenuation.y > 0.0f || attenuation.z > 0.0f);
    if (!usable) {
        const std::string given = words(attenuation);
        attenuation = glm::vec3(1.0f, 0.0f, 0.0f);
        findings.push_back({Severity::Error, name,
                            "its attenuation (constant, linear, quadratic: " + given +
                                ") would light objects without bound; the game uses 1 0 0, "
                                "light that does not fade",
                            "give it factors of 0 or more, with a constant of 1"});
    }
    return PointLight(colour, position, attenuation);
}

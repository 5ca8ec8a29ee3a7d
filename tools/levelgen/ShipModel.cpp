#include "ShipModel.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include <glm/gtc/matrix_transform.hpp>

#include "GenMesh.h"

namespace {

struct Part {
    std::string name;
    std::string material;
    GenMesh mesh;
};

// Atlas regions of ship_diffuse.png (u0, t0, u1, t1).
constexpr glm::vec4 HULL(0.0f, 0.0f, 1.0f, 0.5f);
constexpr glm::vec4 GLASS(0.0f, 0.5f, 0.5f, 1.0f);
constexpr glm::vec4 GLOW(0.5f, 0.5f, 1.0f, 1.0f);

// Fuselage-like body along +Z from a profile of (radius, z) stations, flattened to an
// ellipse of the given height ratio.
GenMesh loftAlongZ(const std::vector<glm::vec2>& profile, int segments, float heightRatio,
                   glm::vec4 region, float uRepeat) {
    GenMesh mesh = makeLathe(profile, segments, uRepeat, region.y, region.w, region.x, region.z);
    // Lathe axis Y -> Z (the profile's height becomes the length), then squash Y.
    glm::mat4 m(1.0f);
    m[1] = glm::vec4(0, 0, 1, 0);
    m[2] = glm::vec4(0, 1, 0, 0);
    m[0] = glm::vec4(1, 0, 0, 0);
    m = glm::scale(glm::mat4(1.0f), glm::vec3(1.0f, heightRatio, 1.0f)) * m;
    mesh.transform(m);
    return mesh;
}

// A convex slab between a lower and an upper outline of four corners each (the same x-z
// outline at two heights), with a hard edge on every face.
GenMesh slab(const glm::vec3 bottom[4], const glm::vec3 top[4], glm::vec4 region) {
    GenMesh mesh;
    auto face = [&](glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d) {
        glm::vec3 n = glm::normalize(glm::cross(b - a, c - a));
        auto uv = [&](float s, float t) {
            return glm::vec2(region.x + (region.z - region.x) * s,
                             region.y + (region.w - region.y) * t);
        };
        uint32_t i0 = mesh.addVertex(a, n, uv(0, 0)), i1 = mesh.addVertex(b, n, uv(1, 0)),
                 i2 = mesh.addVertex(c, n, uv(1, 1)), i3 = mesh.addVertex(d, n, uv(0, 1));
        mesh.addTriangle(i0, i1, i2);
        mesh.addTriangle(i0, i2, i3);
    };
    glm::vec3 centre(0.0f);
    for (int i = 0; i < 4; ++i) {
        centre += (bottom[i] + top[i]) * 0.125f;
    }
    auto outward = [&](glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d) {
        glm::vec3 n = glm::cross(b - a, c - a);
        if (glm::dot(n, (a + b + c + d) * 0.25f - centre) < 0.0f) {
            face(d, c, b, a);
        } else {
            face(a, b, c, d);
        }
    };
    outward(top[0], top[1], top[2], top[3]);
    outward(bottom[0], bottom[1], bottom[2], bottom[3]);
    for (int i = 0; i < 4; ++i) {
        int j = (i + 1) % 4;
        outward(bottom[i], bottom[j], top[j], top[i]);
    }
    return mesh;
}

GenMesh wings() {
    GenMesh both;
    for (float side : {1.0f, -1.0f}) {
        // Root at the fuselage, swept back to the tip; thinner at the tip.
        glm::vec3 bottom[4] = {{0.35f * side, -0.12f, 0.5f},
                               {0.35f * side, -0.12f, -0.95f},
                               {1.75f * side, -0.18f, -1.15f},
                               {1.75f * side, -0.18f, -0.65f}};
        glm::vec3 top[4] = {{0.35f * side, -0.02f, 0.5f},
                            {0.35f * side, -0.02f, -0.95f},
                            {1.75f * side, -0.13f, -1.15f},
                            {1.75f * side, -0.13f, -0.65f}};
        both.append(slab(bottom, top, HULL));
    }
    return both;
}

GenMesh fin() {
    glm::vec3 bottom[4] = {{-0.04f, 0.25f, -0.65f},
                           {-0.04f, 0.25f, -1.4f},
                           {-0.02f, 0.9f, -1.45f},
                           {-0.02f, 0.9f, -1.2f}};
    glm::vec3 top[4] = {
        {0.04f, 0.25f, -0.65f}, {0.04f, 0.25f, -1.4f}, {0.02f, 0.9f, -1.45f}, {0.02f, 0.9f, -1.2f}};
    return slab(bottom, top, HULL);
}

GenMesh engines() {
    GenMesh both;
    std::vector<glm::vec2> profile = {{0.0f, 0.05f},   {0.09f, 0.02f},  {0.15f, -0.15f},
                                      {0.17f, -0.6f},  {0.16f, -1.05f}, {0.16f, -1.05f},
                                      {0.13f, -1.05f}, {0.12f, -1.0f}};
    for (float side : {1.0f, -1.0f}) {
        GenMesh nacelle = loftAlongZ(profile, 16, 1.0f, HULL, 1.0f);
        nacelle.transform(glm::translate(glm::mat4(1.0f), glm::vec3(0.62f * side, -0.1f, -0.5f)));
        both.append(nacelle);
    }
    return both;
}

GenMesh nozzles() {
    GenMesh both;
    // A shallow glowing cone inside each nacelle's rear opening.
    std::vector<glm::vec2> profile = {{0.0f, -0.96f}, {0.125f, -1.0f}};
    for (float side : {1.0f, -1.0f}) {
        GenMesh glow = loftAlongZ(profile, 16, 1.0f, GLOW, 1.0f);
        // Facing backwards: the lathe's outward side of this profile points to -Z.
        glow.transform(glm::translate(glm::mat4(1.0f), glm::vec3(0.62f * side, -0.1f, -0.5f)));
        both.append(glow);
    }
    return both;
}

GenMesh canopy() {
    std::vector<glm::vec2> profile;
    for (int i = 0; i <= 8; ++i) {
        float a = 1.5707963f * i / 8.0f; // quarter circle: nose of the canopy to its rim
        profile.emplace_back(0.24f * std::sin(a), 0.5f * std::cos(a));
    }
    profile.emplace_back(0.24f, -0.45f);
    profile.emplace_back(0.0f, -0.6f);
    GenMesh mesh = loftAlongZ(profile, 20, 0.9f, GLASS, 1.0f);
    mesh.transform(glm::translate(glm::mat4(1.0f), glm::vec3(0.0f, 0.24f, 0.55f)));
    return mesh;
}

GenMesh fuselage() {
    std::vector<glm::vec2> profile = {{0.0f, 1.75f},  {0.1f, 1.6f},    {0.22f, 1.3f},
                                      {0.33f, 0.9f},  {0.42f, 0.4f},   {0.46f, -0.2f},
                                      {0.47f, -0.8f}, {0.43f, -1.3f},  {0.38f, -1.5f},
                                      {0.38f, -1.5f}, {0.26f, -1.55f}, {0.0f, -1.55f}};
    return loftAlongZ(profile, 24, 0.8f, HULL, 1.0f);
}

// Convex collision parts: a tapered box around the body and a flat slab over the wings.
GenMesh collisionBody() {
    glm::vec3 bottom[4] = {{-0.48f, -0.4f, 1.75f},
                           {0.48f, -0.4f, 1.75f},
                           {0.48f, -0.4f, -1.6f},
                           {-0.48f, -0.4f, -1.6f}};
    glm::vec3 top[4] = {
        {-0.48f, 0.5f, 1.75f}, {0.48f, 0.5f, 1.75f}, {0.48f, 0.5f, -1.6f}, {-0.48f, 0.5f, -1.6f}};
    return slab(bottom, top, HULL);
}

GenMesh collisionWings() {
    glm::vec3 bottom[4] = {{-1.78f, -0.28f, 0.5f},
                           {1.78f, -0.28f, 0.5f},
                           {1.78f, -0.28f, -1.6f},
                           {-1.78f, -0.28f, -1.6f}};
    glm::vec3 top[4] = {
        {-1.78f, 0.08f, 0.5f}, {1.78f, 0.08f, 0.5f}, {1.78f, 0.08f, -1.6f}, {-1.78f, 0.08f, -1.6f}};
    return slab(bottom, top, HULL);
}

std::string num(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.5g", v);
    return std::string(text) == "-0" ? "0" : text;
}

} // namespace

bool writeShipModel(const std::string& objPath, const std::string& mtlPath) {
    std::vector<Part> parts = {
        {"graph_fuselage", "ship_hull", fuselage()}, {"graph_canopy", "ship_canopy", canopy()},
        {"graph_wings", "ship_hull", wings()},       {"graph_fin", "ship_hull", fin()},
        {"graph_engines", "ship_hull", engines()},   {"graph_nozzles", "ship_glow", nozzles()},
        {"coll_body", "ship_hull", collisionBody()}, {"coll_wings", "ship_hull", collisionWings()},
    };

    std::ostringstream obj;
    obj << "# Kelvaro19 player ship, written by levelgen. Nose along +Z.\n"
        << "mtllib spaceshipNew.mtl\n";
    size_t base = 1;
    for (const auto& part : parts) {
        const GenMesh& m = part.mesh;
        obj << "o " << part.name << "\n";
        for (const auto& p : m.positions) {
            obj << "v " << num(p.x) << " " << num(p.y) << " " << num(p.z) << "\n";
        }
        // The ship's import does not flip v and the image's first row is t = 0, so the
        // coordinate is written as the game samples it.
        for (const auto& uv : m.uvs) {
            obj << "vt " << num(uv.x) << " " << num(uv.y) << "\n";
        }
        for (const auto& n : m.normals) {
            obj << "vn " << num(n.x) << " " << num(n.y) << " " << num(n.z) << "\n";
        }
        obj << "usemtl " << part.material << "\n";
        for (size_t i = 0; i < m.indices.size(); i += 3) {
            obj << "f";
            for (int k = 0; k < 3; ++k) {
                size_t v = base + m.indices[i + k];
                obj << " " << v << "/" << v << "/" << v;
            }
            obj << "\n";
        }
        base += m.positions.size();
    }

    std::ostringstream mtl;
    mtl << "# Kelvaro19 player ship materials, written by levelgen.\n";
    struct ShipMaterial {
        const char* name;
        const char* ka;
        const char* ks;
        const char* ns;
    };
    // The nozzles' ambient is far past 1 so that the engines glow through the bloom.
    const ShipMaterial materials[] = {{"ship_hull", "0.12 0.12 0.13", "0.5 0.5 0.5", "40"},
                                      {"ship_canopy", "0.08 0.1 0.14", "0.9 0.9 0.9", "96"},
                                      {"ship_glow", "2.5 1.5 0.7", "0 0 0", "1"}};
    for (const auto& s : materials) {
        mtl << "\nnewmtl " << s.name << "\nKa " << s.ka << "\nKd 1 1 1\nKs " << s.ks << "\nNs "
            << s.ns << "\nd 1\nillum 2\nmap_Kd ship_diffuse.png\nnorm ship_normal.png\n";
    }

    std::ofstream objFile(objPath, std::ios::binary), mtlFile(mtlPath, std::ios::binary);
    objFile << obj.str();
    mtlFile << mtl.str();
    return static_cast<bool>(objFile) && static_cast<bool>(mtlFile);
}

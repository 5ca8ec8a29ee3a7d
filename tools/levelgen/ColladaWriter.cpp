#include "ColladaWriter.h"

#include <cstdio>
#include <fstream>
#include <sstream>
#include <vector>

#include <glm/gtc/quaternion.hpp>

#include "Level.h"

namespace {

// From res/assets/models/worlds/ to res/assets/textures/.
constexpr const char* LEVEL_TO_TEXTURES = "../../textures/";

struct MaterialSpec {
    std::string name;
    std::string diffuse; // prefix of <diffuse>_diffuse.png
    std::string normal;  // prefix of <normal>_normal.png
    glm::vec3 ambient;
    glm::vec3 specular;
    float shininess;

    const std::string& texture(const char* kind) const {
        return std::string(kind) == "diffuse" ? diffuse : normal;
    }
};

// Ambient colours are added on top of the lighting (times the world's ambient of 1): dark
// for rock, a little glow for the rings and cans, and far past 1 for the sun so that it
// blooms. Rings and cans look the same on every track, so that a player knows them.
std::vector<MaterialSpec> materialsOf(const LevelPlan& plan) {
    const TrackLook& look = plan.design.look;
    return {
        {"rock", look.rockTexture, "rock", {0.09f, 0.085f, 0.08f}, {0.08f, 0.08f, 0.08f}, 12.0f},
        {"ring", "ring", "ring", {0.55f, 0.45f, 0.2f}, {0.6f, 0.6f, 0.6f}, 48.0f},
        {"tcan", "tcan", "tcan", {0.25f, 0.3f, 0.25f}, {0.5f, 0.5f, 0.5f}, 32.0f},
        {"sun", "sun", "sun", look.sunGlow, {0.0f, 0.0f, 0.0f}, 1.0f},
    };
}

std::string num(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", v);
    if (std::string(text) == "-0") {
        return "0";
    }
    return text;
}

std::string vec(glm::vec3 v) {
    return num(v.x) + " " + num(v.y) + " " + num(v.z);
}

void writeGeometry(std::ostream& out, const std::string& id, const GenMesh& mesh,
                   const char* material) {
    size_t n = mesh.positions.size();
    out << "    <geometry id=\"" << id << "-mesh\" name=\"" << id << "\">\n      <mesh>\n";
    auto source = [&](const char* kind, int stride, auto writeValues, const char* params) {
        out << "        <source id=\"" << id << "-mesh-" << kind << "\">\n";
        out << "          <float_array id=\"" << id << "-mesh-" << kind << "-array\" count=\""
            << n * stride << "\">";
        writeValues();
        out << "</float_array>\n          <technique_common>\n";
        out << "            <accessor source=\"#" << id << "-mesh-" << kind << "-array\" count=\""
            << n << "\" stride=\"" << stride << "\">" << params
            << "</accessor>\n          </technique_common>\n        </source>\n";
    };
    const char* xyz = "<param name=\"X\" type=\"float\"/><param name=\"Y\" type=\"float\"/>"
                      "<param name=\"Z\" type=\"float\"/>";
    source(
        "positions", 3,
        [&] {
            for (size_t i = 0; i < n; ++i) {
                out << (i ? " " : "") << vec(mesh.positions[i]);
            }
        },
        xyz);
    source(
        "normals", 3,
        [&] {
            for (size_t i = 0; i < n; ++i) {
                out << (i ? " " : "") << vec(mesh.normals[i]);
            }
        },
        xyz);
    // COLLADA counts v from the image's bottom row; the game's import flips it back.
    source(
        "map", 2,
        [&] {
            for (size_t i = 0; i < n; ++i) {
                out << (i ? " " : "") << num(mesh.uvs[i].x) << " " << num(1.0f - mesh.uvs[i].y);
            }
        },
        "<param name=\"S\" type=\"float\"/><param name=\"T\" type=\"float\"/>");
    out << "        <vertices id=\"" << id << "-mesh-vertices\"><input semantic=\"POSITION\" "
        << "source=\"#" << id << "-mesh-positions\"/></vertices>\n";
    out << "        <triangles material=\"" << material << "-material\" count=\""
        << mesh.triangleCount() << "\">\n";
    out << "          <input semantic=\"VERTEX\" source=\"#" << id
        << "-mesh-vertices\" offset=\"0\"/>\n";
    out << "          <input semantic=\"NORMAL\" source=\"#" << id
        << "-mesh-normals\" offset=\"0\"/>\n";
    out << "          <input semantic=\"TEXCOORD\" source=\"#" << id
        << "-mesh-map\" offset=\"0\" set=\"0\"/>\n          <p>";
    for (size_t i = 0; i < mesh.indices.size(); ++i) {
        out << (i ? " " : "") << mesh.indices[i];
    }
    out << "</p>\n        </triangles>\n      </mesh>\n    </geometry>\n";
}

std::string matrix(glm::vec3 t, glm::quat r, glm::vec3 s) {
    glm::mat3 m = glm::mat3_cast(r);
    std::string text;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            char v[32];
            std::snprintf(v, sizeof v, "%.9g ", m[col][row] * s[col]);
            text += v;
        }
        text += num(t[row]) + " ";
    }
    return text + "0 0 0 1";
}

void instanceGeometry(std::ostream& out, const std::string& indent, const std::string& geometry,
                      const char* material) {
    out << indent << "<instance_geometry url=\"#" << geometry << "-mesh\">\n"
        << indent << "  <bind_material><technique_common><instance_material symbol=\"" << material
        << "-material\" target=\"#" << material
        << "-material\"><bind_vertex_input semantic=\"UVMap\" input_semantic=\"TEXCOORD\" "
        << "input_set=\"0\"/></instance_material></technique_common></bind_material>\n"
        << indent << "</instance_geometry>\n";
}

// A mesh node with its collision child (identity transform, first mesh = the hull).
void meshNode(std::ostream& out, const Placement& p, const std::string& geometry,
              const std::string& collisionGeometry, const char* material) {
    out << "      <node id=\"" << p.name << "\" name=\"" << p.name << "\" type=\"NODE\">\n"
        << "        <matrix sid=\"transform\">" << matrix(p.position, p.rotation, p.scale)
        << "</matrix>\n";
    instanceGeometry(out, "        ", geometry, material);
    std::string child = p.name + "-collision";
    out << "        <node id=\"" << child << "\" name=\"" << child << "\" type=\"NODE\">\n"
        << "          <matrix sid=\"transform\">1 0 0 0 0 1 0 0 0 0 1 0 0 0 0 1</matrix>\n";
    instanceGeometry(out, "          ", collisionGeometry, material);
    out << "        </node>\n      </node>\n";
}

} // namespace

bool writeCollada(const std::string& path, const LevelPlan& plan) {
    const std::vector<MaterialSpec> materials = materialsOf(plan);
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        << "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
        << "  <asset>\n    <contributor><authoring_tool>Kelvaro19 levelgen</authoring_tool>"
        << "</contributor>\n    <created>2026-12-07T00:00:00</created>\n"
        << "    <modified>2026-12-07T00:00:00</modified>\n"
        << "    <unit name=\"meter\" meter=\"1\"/>\n    <up_axis>Y_UP</up_axis>\n  </asset>\n";

    out << "  <library_cameras>\n    <camera id=\"Camera-camera\" name=\"Camera\"><optics>"
        << "<technique_common><perspective><yfov>59</yfov><aspect_ratio>1.777778</aspect_ratio>"
        << "<znear>0.1</znear><zfar>10000</zfar></perspective></technique_common></optics>"
        << "</camera>\n  </library_cameras>\n";

    out << "  <library_lights>\n";
    for (const auto& lamp : plan.lamps) {
        out << "    <light id=\"" << lamp.name << "-light\" name=\"" << lamp.name
            << "\"><technique_common><point><color sid=\"color\">" << vec(lamp.color)
            << "</color><constant_attenuation>" << num(lamp.attenuation.x)
            << "</constant_attenuation><linear_attenuation>" << num(lamp.attenuation.y)
            << "</linear_attenuation><quadratic_attenuation>" << num(lamp.attenuation.z)
            << "</quadratic_attenuation></point></technique_common></light>\n";
    }
    out << "  </library_lights>\n";

    // Images are named relative to the level file, as Blender writes and reads
    // them, so that Blender finds them when it opens the level; the game looks
    // in its texture folder first and finds them there as well.
    out << "  <library_images>\n";
    for (const auto& m : materials) {
        for (const char* kind : {"diffuse", "normal"}) {
            const std::string& t = m.texture(kind);
            out << "    <image id=\"" << t << "_" << kind << "_png\" name=\"" << t << "_" << kind
                << "_png\"><init_from>" << LEVEL_TO_TEXTURES << t << "_" << kind
                << ".png</init_from></image>\n";
        }
    }
    out << "  </library_images>\n";

    out << "  <library_effects>\n";
    for (const auto& m : materials) {
        out << "    <effect id=\"" << m.name << "-effect\">\n      <profile_COMMON>\n";
        for (const char* kind : {"diffuse", "normal"}) {
            std::string image = m.texture(kind) + "_" + kind + "_png";
            out << "        <newparam sid=\"" << image << "-surface\"><surface type=\"2D\">"
                << "<init_from>" << image << "</init_from></surface></newparam>\n"
                << "        <newparam sid=\"" << image << "-sampler\"><sampler2D><source>" << image
                << "-surface</source></sampler2D></newparam>\n";
        }
        out << "        <technique sid=\"common\">\n          <phong>\n"
            << "            <emission><color sid=\"emission\">0 0 0 1</color></emission>\n"
            << "            <ambient><color sid=\"ambient\">" << vec(m.ambient)
            << " 1</color></ambient>\n"
            << "            <diffuse><texture texture=\"" << m.diffuse
            << "_diffuse_png-sampler\" texcoord=\"UVMap\"/></diffuse>\n"
            << "            <specular><color sid=\"specular\">" << vec(m.specular)
            << " 1</color></specular>\n"
            << "            <shininess><float sid=\"shininess\">" << num(m.shininess)
            << "</float></shininess>\n          </phong>\n"
            << "          <extra><technique profile=\"FCOLLADA\"><bump><texture texture=\""
            << m.normal << "_normal_png-sampler\" texcoord=\"UVMap\"/></bump></technique></extra>\n"
            << "        </technique>\n      </profile_COMMON>\n    </effect>\n";
    }
    out << "  </library_effects>\n";

    out << "  <library_materials>\n";
    for (const auto& m : materials) {
        out << "    <material id=\"" << m.name << "-material\" name=\"" << m.name
            << "\"><instance_effect url=\"#" << m.name << "-effect\"/></material>\n";
    }
    out << "  </library_materials>\n";

    out << "  <library_geometries>\n";
    for (size_t i = 0; i < plan.rockMeshes.size(); ++i) {
        writeGeometry(out, "rock_" + std::to_string(i), plan.rockMeshes[i], "rock");
    }
    // Every ring has a mesh of its own: nodes sharing meshes share one model and so one
    // ring number.
    for (const auto& ring : plan.ringNodes) {
        writeGeometry(out, ring.name + "_torus", plan.ringMesh, "ring");
    }
    writeGeometry(out, "ring_opening", plan.ringTrigger, "ring");
    writeGeometry(out, "can", plan.canMesh, "tcan");
    writeGeometry(out, "can_hull", plan.canTrigger, "tcan");
    writeGeometry(out, "star", plan.sunMesh, "sun");
    out << "  </library_geometries>\n";

    out << "  <library_visual_scenes>\n    <visual_scene id=\"Scene\" name=\"Scene\">\n";
    out << "      <node id=\"Camera\" name=\"Camera\" type=\"NODE\">\n        <matrix "
        << "sid=\"transform\">" << matrix(plan.start, plan.cameraRotation, glm::vec3(1.0f))
        << "</matrix>\n        <instance_camera url=\"#Camera-camera\"/>\n      </node>\n";
    for (const auto& lamp : plan.lamps) {
        out << "      <node id=\"" << lamp.name << "\" name=\"" << lamp.name
            << "\" type=\"NODE\">\n        <matrix sid=\"transform\">"
            << matrix(lamp.position, glm::quat(1, 0, 0, 0), glm::vec3(1.0f))
            << "</matrix>\n        <instance_light url=\"#" << lamp.name
            << "-light\"/>\n      </node>\n";
    }
    for (const auto& a : plan.asteroids) {
        std::string rock = "rock_" + std::to_string(a.mesh);
        meshNode(out, a, rock, rock, "rock");
    }
    meshNode(out, plan.sun, "star", "star", "sun");
    for (const auto& c : plan.trashCans) {
        meshNode(out, c, "can", "can_hull", "tcan");
    }
    for (const auto& r : plan.ringNodes) {
        meshNode(out, r, r.name + "_torus", "ring_opening", "ring");
    }
    out << "    </visual_scene>\n  </library_visual_scenes>\n"
        << "  <scene><instance_visual_scene url=\"#Scene\"/></scene>\n</COLLADA>\n";

    std::ofstream file(path, std::ios::binary);
    file << out.str();
    return static_cast<bool>(file);
}

bool writeMaterialSidecar(const std::string& path, const LevelPlan& plan) {
    std::ofstream out(path, std::ios::binary);
    out << "; What Blender's COLLADA export cannot carry, by material name: the game\n"
        << "; applies it to " << plan.design.file << " and to a copy of it that Blender wrote.\n";
    for (const auto& m : materialsOf(plan)) {
        out << "\n[" << m.name << "]\n"
            << "normal = " << LEVEL_TO_TEXTURES << m.normal << "_normal.png\n"
            << "ambient = " << vec(m.ambient) << "\n"
            << "specular = " << vec(m.specular) << "\n"
            << "shininess = " << num(m.shininess) << "\n";
    }
    return bool(out);
}

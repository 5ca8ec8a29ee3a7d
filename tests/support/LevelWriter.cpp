#include "LevelWriter.h"

#include <glm/gtc/constants.hpp>

#include <fstream>
#include <sstream>

namespace {

void addQuad(TestMesh& m, glm::vec3 a, glm::vec3 b, glm::vec3 c, glm::vec3 d, glm::vec3 n) {
    uint32_t base = uint32_t(m.positions.size());
    for (glm::vec3 p : {a, b, c, d}) {
        m.positions.push_back(p);
        m.normals.push_back(n);
    }
    m.uvs.insert(m.uvs.end(), {{0, 0}, {1, 0}, {1, 1}, {0, 1}});
    m.indices.insert(m.indices.end(), {base, base + 1, base + 2, base, base + 2, base + 3});
}

std::string floats(const std::vector<float>& values) {
    std::ostringstream out;
    for (size_t i = 0; i < values.size(); ++i) {
        out << (i ? " " : "") << values[i];
    }
    return out.str();
}

} // namespace

TestMesh boxMesh(glm::vec3 h) {
    TestMesh m;
    // Counter-clockwise seen from outside.
    addQuad(m, {-h.x, -h.y, h.z}, {h.x, -h.y, h.z}, {h.x, h.y, h.z}, {-h.x, h.y, h.z}, {0, 0, 1});
    addQuad(m, {h.x, -h.y, -h.z}, {-h.x, -h.y, -h.z}, {-h.x, h.y, -h.z}, {h.x, h.y, -h.z},
            {0, 0, -1});
    addQuad(m, {h.x, -h.y, h.z}, {h.x, -h.y, -h.z}, {h.x, h.y, -h.z}, {h.x, h.y, h.z}, {1, 0, 0});
    addQuad(m, {-h.x, -h.y, -h.z}, {-h.x, -h.y, h.z}, {-h.x, h.y, h.z}, {-h.x, h.y, -h.z},
            {-1, 0, 0});
    addQuad(m, {-h.x, h.y, h.z}, {h.x, h.y, h.z}, {h.x, h.y, -h.z}, {-h.x, h.y, -h.z}, {0, 1, 0});
    addQuad(m, {-h.x, -h.y, -h.z}, {h.x, -h.y, -h.z}, {h.x, -h.y, h.z}, {-h.x, -h.y, h.z},
            {0, -1, 0});
    return m;
}

TestMesh sphereMesh(float radius, int slices, int stacks) {
    TestMesh m;
    for (int i = 0; i <= stacks; ++i) {
        float v = float(i) / float(stacks);
        float phi = v * glm::pi<float>();
        for (int j = 0; j <= slices; ++j) {
            float u = float(j) / float(slices);
            float theta = u * glm::two_pi<float>();
            glm::vec3 n(std::sin(phi) * std::cos(theta), std::cos(phi),
                        std::sin(phi) * std::sin(theta));
            m.positions.push_back(n * radius);
            m.normals.push_back(n);
            m.uvs.push_back({u, 1.0f - v});
        }
    }
    for (int i = 0; i < stacks; ++i) {
        for (int j = 0; j < slices; ++j) {
            uint32_t a = uint32_t(i * (slices + 1) + j), b = a + uint32_t(slices + 1);
            m.indices.insert(m.indices.end(), {a, a + 1, b, a + 1, b + 1, b});
        }
    }
    return m;
}

TestMesh torusMesh(float radius, float tube, int segments, int sides) {
    TestMesh m;
    for (int i = 0; i <= segments; ++i) {
        float u = float(i) / float(segments);
        float a = u * glm::two_pi<float>();
        glm::vec3 centre(std::cos(a) * radius, std::sin(a) * radius, 0.0f);
        for (int j = 0; j <= sides; ++j) {
            float v = float(j) / float(sides);
            float b = v * glm::two_pi<float>();
            glm::vec3 n(std::cos(a) * std::cos(b), std::sin(a) * std::cos(b), std::sin(b));
            m.positions.push_back(centre + n * tube);
            m.normals.push_back(n);
            m.uvs.push_back({u, v});
        }
    }
    for (int i = 0; i < segments; ++i) {
        for (int j = 0; j < sides; ++j) {
            uint32_t a = uint32_t(i * (sides + 1) + j), b = a + uint32_t(sides + 1);
            m.indices.insert(m.indices.end(), {a, b, a + 1, a + 1, b, b + 1});
        }
    }
    return m;
}

TestMesh discMesh(float radius, float halfThickness, int segments) {
    TestMesh m;
    for (float z : {halfThickness, -halfThickness}) {
        uint32_t centre = uint32_t(m.positions.size());
        m.positions.push_back({0, 0, z});
        m.normals.push_back({0, 0, z > 0 ? 1.0f : -1.0f});
        m.uvs.push_back({0.5f, 0.5f});
        for (int i = 0; i < segments; ++i) {
            float a = float(i) / float(segments) * glm::two_pi<float>();
            m.positions.push_back({std::cos(a) * radius, std::sin(a) * radius, z});
            m.normals.push_back({0, 0, z > 0 ? 1.0f : -1.0f});
            m.uvs.push_back({0.5f + 0.5f * std::cos(a), 0.5f + 0.5f * std::sin(a)});
        }
        for (int i = 0; i < segments; ++i) {
            uint32_t a = centre + 1 + uint32_t(i), b = centre + 1 + uint32_t((i + 1) % segments);
            if (z > 0) {
                m.indices.insert(m.indices.end(), {centre, a, b});
            } else {
                m.indices.insert(m.indices.end(), {centre, b, a});
            }
        }
    }
    // The side wall: the two rims joined (rim vertices 1.. and segments+2..).
    uint32_t top = 1, bottom = uint32_t(segments) + 2;
    for (int i = 0; i < segments; ++i) {
        uint32_t j = uint32_t((i + 1) % segments);
        uint32_t a = top + uint32_t(i), b = top + j, c = bottom + uint32_t(i), d = bottom + j;
        m.indices.insert(m.indices.end(), {a, c, d, a, d, b});
    }
    return m;
}

std::string LevelWriter::materialFor(const TestMaterial& material) {
    for (const auto& [id, existing] : materials_) {
        if (existing.diffuseTexture == material.diffuseTexture &&
            existing.normalTexture == material.normalTexture &&
            existing.ambient == material.ambient && existing.specular == material.specular &&
            existing.shininess == material.shininess) {
            return id;
        }
    }
    std::string id = "mat" + std::to_string(materials_.size());
    materials_.emplace_back(id, material);
    return id;
}

std::string LevelWriter::geometryFor(const std::string& key, const TestMesh& mesh,
                                     const std::string& materialId) {
    std::string id = key + "-" + materialId;
    for (const Geometry& g : geometries_) {
        if (g.id == id) {
            return id;
        }
    }
    geometries_.push_back({id, mesh, materialId});
    return id;
}

void LevelWriter::addEmpty(const std::string& name, glm::vec3 p, glm::quat r) {
    std::ostringstream node;
    float angle = glm::degrees(glm::angle(r));
    glm::vec3 axis = glm::axis(r);
    node << "<node id=\"" << name << "\" name=\"" << name << "\" type=\"NODE\"><translate>" << p.x
         << " " << p.y << " " << p.z << "</translate><rotate>" << axis.x << " " << axis.y << " "
         << axis.z << " " << angle << "</rotate>";
    nodes_.push_back(node.str());
}

void LevelWriter::addMeshNode(const std::string& name, const std::string& meshKey,
                              const TestMesh& mesh, glm::vec3 p, glm::quat r, glm::vec3 s,
                              const std::optional<TestMesh>& collision,
                              const TestMaterial& material) {
    std::string materialId = materialFor(material);
    std::string geometry = geometryFor(meshKey, mesh, materialId);
    addEmpty(name, p, r);
    std::ostringstream node;
    node << "<scale>" << s.x << " " << s.y << " " << s.z << "</scale>"
         << "<instance_geometry url=\"#" << geometry << "\"><bind_material><technique_common>"
         << "<instance_material symbol=\"" << materialId << "\" target=\"#" << materialId
         << "\"/></technique_common></bind_material></instance_geometry>";
    if (collision) {
        std::string collisionGeometry = geometryFor(meshKey + "-coll", *collision, materialId);
        node << "<node id=\"" << name << "-coll\" name=\"" << name
             << "-coll\" type=\"NODE\"><instance_geometry url=\"#" << collisionGeometry
             << "\"><bind_material><technique_common><instance_material symbol=\"" << materialId
             << "\" target=\"#" << materialId
             << "\"/></technique_common></bind_material></instance_geometry></node>";
    }
    nodes_.back() += node.str();
}

void LevelWriter::addLamp(const std::string& name, glm::vec3 position, glm::vec3 color,
                          glm::vec3 attenuation) {
    std::ostringstream light;
    light << "<light id=\"" << name << "-light\" name=\"" << name
          << "\"><technique_common><point><color>" << color.x << " " << color.y << " " << color.z
          << "</color><constant_attenuation>" << attenuation.x
          << "</constant_attenuation><linear_attenuation>" << attenuation.y
          << "</linear_attenuation><quadratic_attenuation>" << attenuation.z
          << "</quadratic_attenuation></point></technique_common></light>";
    lights_.push_back(light.str());
    addEmpty(name, position);
    nodes_.back() += "<instance_light url=\"#" + name + "-light\"/>";
}

void LevelWriter::addChildXml(const std::string& xml) {
    nodes_.back() += xml;
}

std::string LevelWriter::str() const {
    std::ostringstream out;
    out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
        << "<COLLADA xmlns=\"http://www.collada.org/2005/11/COLLADASchema\" version=\"1.4.1\">\n"
        << "<asset><unit name=\"meter\" meter=\"1\"/><up_axis>Y_UP</up_axis></asset>\n";
    out << "<library_images>";
    for (const auto& [id, m] : materials_) {
        for (const std::string* file : {&m.diffuseTexture, &m.normalTexture}) {
            if (!file->empty()) {
                out << "<image id=\"" << id << "-" << (file == &m.diffuseTexture ? "d" : "n")
                    << "\"><init_from>" << *file << "</init_from></image>";
            }
        }
    }
    out << "</library_images>\n<library_effects>";
    for (const auto& [id, m] : materials_) {
        out << "<effect id=\"" << id << "-fx\"><profile_COMMON>";
        for (const std::string* file : {&m.diffuseTexture, &m.normalTexture}) {
            if (!file->empty()) {
                std::string img = id + "-" + (file == &m.diffuseTexture ? "d" : "n");
                out << "<newparam sid=\"" << img << "-surface\"><surface type=\"2D\"><init_from>"
                    << img << "</init_from></surface></newparam><newparam sid=\"" << img
                    << "-sampler\"><sampler2D><source>" << img
                    << "-surface</source></sampler2D></newparam>";
            }
        }
        out << "<technique sid=\"common\"><phong><ambient><color>" << m.ambient.x << " "
            << m.ambient.y << " " << m.ambient.z << " 1</color></ambient><diffuse>";
        if (!m.diffuseTexture.empty()) {
            out << "<texture texture=\"" << id << "-d-sampler\" texcoord=\"UVMap\"/>";
        } else {
            out << "<color>0.8 0.8 0.8 1</color>";
        }
        out << "</diffuse><specular><color>" << m.specular.x << " " << m.specular.y << " "
            << m.specular.z << " 1</color></specular><shininess><float>" << m.shininess
            << "</float></shininess></phong>";
        if (!m.normalTexture.empty()) {
            out << "<extra><technique profile=\"FCOLLADA\"><bump><texture texture=\"" << id
                << "-n-sampler\" texcoord=\"UVMap\"/></bump></technique></extra>";
        }
        out << "</technique></profile_COMMON></effect>";
    }
    out << "</library_effects>\n<library_materials>";
    for (const auto& [id, m] : materials_) {
        out << "<material id=\"" << id << "\" name=\"" << id << "\"><instance_effect url=\"#" << id
            << "-fx\"/></material>";
    }
    out << "</library_materials>\n<library_geometries>\n";
    for (const Geometry& g : geometries_) {
        std::vector<float> pos, nor, uv;
        for (size_t i = 0; i < g.mesh.positions.size(); ++i) {
            pos.insert(pos.end(),
                       {g.mesh.positions[i].x, g.mesh.positions[i].y, g.mesh.positions[i].z});
            nor.insert(nor.end(), {g.mesh.normals[i].x, g.mesh.normals[i].y, g.mesh.normals[i].z});
            uv.insert(uv.end(), {g.mesh.uvs[i].x, g.mesh.uvs[i].y});
        }
        size_t n = g.mesh.positions.size();
        out << "<geometry id=\"" << g.id << "\" name=\"" << g.id << "\"><mesh>"
            << "<source id=\"" << g.id << "-p\"><float_array id=\"" << g.id << "-pa\" count=\""
            << pos.size() << "\">" << floats(pos)
            << "</float_array><technique_common><accessor source=\"#" << g.id << "-pa\" count=\""
            << n
            << "\" stride=\"3\"><param name=\"X\" type=\"float\"/><param name=\"Y\" "
               "type=\"float\"/><param name=\"Z\" "
               "type=\"float\"/></accessor></technique_common></source>"
            << "<source id=\"" << g.id << "-n\"><float_array id=\"" << g.id << "-na\" count=\""
            << nor.size() << "\">" << floats(nor)
            << "</float_array><technique_common><accessor source=\"#" << g.id << "-na\" count=\""
            << n
            << "\" stride=\"3\"><param name=\"X\" type=\"float\"/><param name=\"Y\" "
               "type=\"float\"/><param name=\"Z\" "
               "type=\"float\"/></accessor></technique_common></source>"
            << "<source id=\"" << g.id << "-t\"><float_array id=\"" << g.id << "-ta\" count=\""
            << uv.size() << "\">" << floats(uv)
            << "</float_array><technique_common><accessor source=\"#" << g.id << "-ta\" count=\""
            << n
            << "\" stride=\"2\"><param name=\"S\" type=\"float\"/><param name=\"T\" "
               "type=\"float\"/></accessor></technique_common></source>"
            << "<vertices id=\"" << g.id << "-v\"><input semantic=\"POSITION\" source=\"#" << g.id
            << "-p\"/></vertices><triangles material=\"" << g.material << "\" count=\""
            << g.mesh.indices.size() / 3 << "\"><input semantic=\"VERTEX\" source=\"#" << g.id
            << "-v\" offset=\"0\"/><input semantic=\"NORMAL\" source=\"#" << g.id
            << "-n\" offset=\"0\"/><input semantic=\"TEXCOORD\" source=\"#" << g.id
            << "-t\" offset=\"0\" set=\"0\"/><p>";
        for (size_t i = 0; i < g.mesh.indices.size(); ++i) {
            out << (i ? " " : "") << g.mesh.indices[i];
        }
        out << "</p></triangles></mesh></geometry>\n";
    }
    out << "</library_geometries>\n<library_lights>";
    for (const std::string& l : lights_) {
        out << l;
    }
    out << "</library_lights>\n<library_visual_scenes><visual_scene id=\"Scene\" name=\"Scene\">\n";
    for (const std::string& n : nodes_) {
        out << n << "</node>\n";
    }
    out << "</visual_scene></library_visual_scenes>\n"
        << "<scene><instance_visual_scene url=\"#Scene\"/></scene>\n</COLLADA>\n";
    return out.str();
}

void LevelWriter::write(const std::filesystem::path& file) const {
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << str();
}

void writeTestShip(const std::filesystem::path& modelsDir) {
    std::filesystem::create_directories(modelsDir);
    std::ofstream(modelsDir / "spaceshipNew.mtl")
        << "newmtl hull\nKa 0.1 0.1 0.1\nKd 0.7 0.7 0.8\nKs 0.5 0.5 0.5\nNs 32\n";
    std::ostringstream obj;
    obj << "mtllib spaceshipNew.mtl\n";
    int base = 1;
    auto box = [&](const std::string& name, glm::vec3 centre, glm::vec3 h) {
        TestMesh m = boxMesh(h);
        obj << "o " << name << "\n";
        for (glm::vec3 p : m.positions) {
            p += centre;
            obj << "v " << p.x << " " << p.y << " " << p.z << "\n";
        }
        for (glm::vec3 n : m.normals) {
            obj << "vn " << n.x << " " << n.y << " " << n.z << "\n";
        }
        for (glm::vec2 t : m.uvs) {
            obj << "vt " << t.x << " " << 1.0f - t.y << "\n";
        }
        obj << "usemtl hull\n";
        for (size_t i = 0; i < m.indices.size(); i += 3) {
            obj << "f";
            for (int k = 0; k < 3; ++k) {
                int v = base + int(m.indices[i + size_t(k)]);
                obj << " " << v << "/" << v << "/" << v;
            }
            obj << "\n";
        }
        base += int(m.positions.size());
    };
    box("graph_hull", {0, 0, 0}, {0.5f, 0.25f, 1.0f});
    box("coll_front", {0, 0, 0.5f}, {0.4f, 0.2f, 0.5f});
    box("coll_back", {0, 0, -0.5f}, {0.5f, 0.25f, 0.5f});
    std::ofstream(modelsDir / "spaceshipNew.obj") << obj.str();
}

#include "world/gltf/GltfFile.h"

#include "core/RegularFile.h"
#include "world/LevelFile.h"
#include "world/gltf/Json.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr uint32_t GLB_MAGIC = 0x46546C67; // "glTF"
constexpr uint32_t CHUNK_JSON = 0x4E4F534A;
constexpr uint32_t CHUNK_BIN = 0x004E4942;

uint32_t littleEndian32(std::string_view bytes, std::size_t at) {
    uint32_t value = 0;
    for (int i = 3; i >= 0; --i) {
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    }
    return value;
}

// Bytes of one component of a type, or 0 for a type the format does not have.
unsigned componentBytes(long long type) {
    switch (type) {
    case 5120: // byte
    case 5121: // unsigned byte
        return 1;
    case 5122: // short
    case 5123: // unsigned short
        return 2;
    case 5125: // unsigned int
    case 5126: // float
        return 4;
    default:
        return 0;
    }
}

unsigned componentCount(const std::string& type) {
    static const std::map<std::string, unsigned> counts = {{"SCALAR", 1}, {"VEC2", 2}, {"VEC3", 3},
                                                           {"VEC4", 4},   {"MAT2", 4}, {"MAT3", 9},
                                                           {"MAT4", 16}};
    const auto it = counts.find(type);
    return it == counts.end() ? 0 : it->second;
}

std::optional<std::vector<unsigned char>> base64(std::string_view text) {
    std::vector<unsigned char> out;
    out.reserve(text.size() / 4 * 3);
    uint32_t bits = 0;
    int held = 0;
    for (const char c : text) {
        int value;
        if (c >= 'A' && c <= 'Z') {
            value = c - 'A';
        } else if (c >= 'a' && c <= 'z') {
            value = c - 'a' + 26;
        } else if (c >= '0' && c <= '9') {
            value = c - '0' + 52;
        } else if (c == '+') {
            value = 62;
        } else if (c == '/') {
            value = 63;
        } else if (c == '=') {
            break;
        } else {
            return std::nullopt;
        }
        bits = (bits << 6) | uint32_t(value);
        held += 6;
        if (held >= 8) {
            held -= 8;
            out.push_back(static_cast<unsigned char>(bits >> held));
        }
    }
    return out;
}

struct Accessor {
    long long count = 0;
    unsigned componentType = 0;
    unsigned components = 0;
    long long view = -1;
    unsigned long long byteOffset = 0;
};

struct View {
    long long buffer = 0;
    unsigned long long byteOffset = 0;
    unsigned long long byteLength = 0;
    unsigned long long byteStride = 0;
};

class GltfChecker {
public:
    GltfChecker(const std::string& path, const JsonValue& root, std::string_view bin, bool binary)
        : path_(path), root_(root), bin_(bin), binary_(binary) {}

    GltfFileCheck run() {
        checkVersion() && checkBuffers() && checkViews() && checkAccessors() && checkMeshes() &&
            checkNodes() && checkScenes() && checkImagesAndTextures() && checkMaterials() &&
            checkSkins() && checkAnimations();
        return result_;
    }

private:
    bool refuse(std::string problem, bool unreadable = false) {
        result_.problem = std::move(problem);
        result_.unreadable = unreadable;
        return false;
    }

    // The array `key` of `object` (empty when absent), or a refusal.
    const std::vector<JsonValue>* list(const JsonValue& object, const char* key,
                                       const std::string& where) {
        static const std::vector<JsonValue> none;
        const JsonValue* value = object.find(key);
        if (!value) {
            return &none;
        }
        if (!value->isArray()) {
            refuse("has a \"" + std::string(key) + "\" in " + where + " that is not a list");
            return nullptr;
        }
        return &value->items;
    }

    // An optional index member: absent gives -1; one naming nothing refuses.
    bool index(const JsonValue& object, const char* key, std::size_t count,
               const std::string& where, long long& out) {
        out = -1;
        const JsonValue* value = object.find(key);
        if (!value) {
            return true;
        }
        if (!value->isInteger() || value->number < 0 || value->number >= double(count)) {
            return refuse("has " + where + " whose \"" + key + "\" names no entry (there are " +
                          std::to_string(count) + ")");
        }
        out = static_cast<long long>(value->number);
        return true;
    }

    bool whole(const JsonValue& object, const char* key, const std::string& where,
               unsigned long long& out, unsigned long long fallback, bool required = false) {
        out = fallback;
        const JsonValue* value = object.find(key);
        if (!value) {
            return !required || refuse("has " + where + " without a \"" + key + "\"");
        }
        if (!value->isInteger() || value->number < 0 || value->number > 1e15) {
            return refuse("has " + where + " whose \"" + key + "\" is not a whole number");
        }
        out = static_cast<unsigned long long>(value->number);
        return true;
    }

    bool checkVersion() {
        if (!root_.isObject()) {
            return refuse("is not a glTF file: its JSON is not an object");
        }
        const JsonValue* asset = root_.find("asset");
        const JsonValue* version = asset ? asset->find("version") : nullptr;
        if (!version || !version->isString()) {
            return refuse("is not a glTF file: it has no \"asset\" with a \"version\"");
        }
        if (!version->text.starts_with("2")) {
            return refuse("is glTF version " + version->text + "; the game reads glTF 2.0");
        }
        for (const char* key :
             {"buffers", "bufferViews", "accessors", "meshes", "nodes", "scenes", "images",
              "textures", "materials", "samplers", "skins", "animations", "cameras"}) {
            if (!list(root_, key, "the file")) {
                return false;
            }
            counts_[key] = list(root_, key, "the file")->size();
        }
        return true;
    }

    bool checkBuffers() {
        const auto& buffers = *list(root_, "buffers", "the file");
        // Many buffers may name one file, and each is read whole: their sum
        // is bounded before any is read.
        double total = 0.0;
        for (const JsonValue& buffer : buffers) {
            const JsonValue* length = buffer.find("byteLength");
            total += length && length->isNumber() ? length->number : 0.0;
        }
        if (total > double(MAX_LEVEL_FILE_BYTES)) {
            return refuse("has buffers of more than " + std::to_string(MAX_LEVEL_FILE_BYTES >> 20) +
                          " MB in all; the game reads levels up to that size");
        }
        bool binUsed = false;
        for (std::size_t i = 0; i < buffers.size(); ++i) {
            const JsonValue& buffer = buffers[i];
            const std::string where = "buffer " + std::to_string(i);
            unsigned long long length = 0;
            if (!buffer.isObject() || !whole(buffer, "byteLength", where, length, 0, true)) {
                return result_.problem.empty() ? refuse("has " + where + " that is not an object")
                                               : false;
            }
            if (length > MAX_LEVEL_FILE_BYTES) {
                return refuse("has " + where + " of " + std::to_string(length) +
                              " bytes; the game reads levels up to " +
                              std::to_string(MAX_LEVEL_FILE_BYTES >> 20) + " MB");
            }
            lengths_.push_back(length);
            const JsonValue* uri = buffer.find("uri");
            if (!uri) {
                if (!binary_ || i != 0 || binUsed) {
                    return refuse("has " + where +
                                  " without a \"uri\", which only the first "
                                  "buffer of a .glb may have");
                }
                binUsed = true;
                if (length > bin_.size()) {
                    return refuse("has " + where + " of " + std::to_string(length) +
                                  " bytes, but its binary chunk holds " +
                                  std::to_string(bin_.size()));
                }
                data_.emplace_back(bin_.substr(0, length));
                continue;
            }
            if (!uri->isString()) {
                return refuse("has " + where + " whose \"uri\" is not text");
            }
            if (uri->text.starts_with("data:")) {
                const std::size_t comma = uri->text.find(',');
                const std::size_t marker = uri->text.find(";base64,");
                if (comma == std::string::npos || marker == std::string::npos ||
                    marker + 7 != comma) {
                    return refuse("has " + where + " whose data is not base64");
                }
                auto decoded = base64(std::string_view(uri->text).substr(comma + 1));
                if (!decoded || decoded->size() < length) {
                    return refuse("has " + where + " whose data holds fewer than its " +
                                  std::to_string(length) + " bytes");
                }
                owned_.push_back(std::move(*decoded));
                data_.emplace_back(reinterpret_cast<const char*>(owned_.back().data()), length);
                continue;
            }
            if (!readBufferFile(uri->text, length, where)) {
                return false;
            }
        }
        return true;
    }

    // A buffer file is looked for in the level's folder only. The importer
    // opens the name as written, the folder's links and ".." followed as
    // they come, so a ".." is refused (after a link it leads elsewhere than
    // it seems), and so is a link that leads out of the folder.
    bool readBufferFile(const std::string& name, unsigned long long length,
                        const std::string& where) {
        const fs::path relative(name);
        const bool climbs = std::any_of(relative.begin(), relative.end(),
                                        [](const fs::path& part) { return part == ".."; });
        if (name.empty() || relative.is_absolute() || climbs ||
            name.find('\\') != std::string::npos) {
            return refuse("has " + where + " in the file \"" + name +
                          "\", outside the level's folder; buffers are read from beside it");
        }
        const fs::path folder = fs::path(path_).parent_path();
        const fs::path file = folder / relative;
        if (const std::string problem = regularFileProblem(file.string()); !problem.empty()) {
            return refuse("has " + where + " in " + file.generic_string() +
                              ", which cannot be read: " + problem,
                          true);
        }
        std::error_code fileError, folderError;
        const fs::path real = fs::canonical(file, fileError);
        const fs::path home = fs::canonical(folder.empty() ? fs::path(".") : folder, folderError);
        const auto [inside, rest] =
            std::mismatch(home.begin(), home.end(), real.begin(), real.end());
        if (fileError || folderError || inside != home.end()) {
            return refuse("has " + where + " in " + file.generic_string() +
                          ", which leads out of the level's folder through a link; buffers are "
                          "read from beside it");
        }
        std::ifstream in(real, std::ios::binary);
        owned_.emplace_back(length);
        in.read(reinterpret_cast<char*>(owned_.back().data()), std::streamsize(length));
        if (static_cast<unsigned long long>(in.gcount()) != length) {
            return refuse("has " + where + " in " + file.generic_string() +
                              ", which holds fewer than its " + std::to_string(length) + " bytes",
                          true);
        }
        data_.emplace_back(reinterpret_cast<const char*>(owned_.back().data()), length);
        return true;
    }

    bool checkViews() {
        const auto& views = *list(root_, "bufferViews", "the file");
        for (std::size_t i = 0; i < views.size(); ++i) {
            const JsonValue& v = views[i];
            const std::string where = "buffer view " + std::to_string(i);
            View view;
            if (!v.isObject()) {
                return refuse("has " + where + " that is not an object");
            }
            if (!v.find("buffer")) {
                return refuse("has " + where + " without a \"buffer\"");
            }
            if (!index(v, "buffer", lengths_.size(), where, view.buffer) ||
                !whole(v, "byteOffset", where, view.byteOffset, 0) ||
                !whole(v, "byteLength", where, view.byteLength, 0, true) ||
                !whole(v, "byteStride", where, view.byteStride, 0)) {
                return false;
            }
            if (view.byteOffset + view.byteLength > lengths_[view.buffer]) {
                return refuse("has " + where + " reaching past the end of buffer " +
                              std::to_string(view.buffer));
            }
            if (v.find("byteStride") && (view.byteStride < 4 || view.byteStride > 252)) {
                return refuse("has " + where + " with a stride outside 4 to 252 bytes");
            }
            views_.push_back(view);
        }
        return true;
    }

    bool checkAccessors() {
        const auto& accessors = *list(root_, "accessors", "the file");
        for (std::size_t i = 0; i < accessors.size(); ++i) {
            const JsonValue& a = accessors[i];
            const std::string where = "accessor " + std::to_string(i);
            Accessor accessor;
            unsigned long long count = 0, type = 0;
            if (!a.isObject()) {
                return refuse("has " + where + " that is not an object");
            }
            if (!whole(a, "count", where, count, 0, true) ||
                !whole(a, "componentType", where, type, 0, true) ||
                !whole(a, "byteOffset", where, accessor.byteOffset, 0) ||
                !index(a, "bufferView", views_.size(), where, accessor.view)) {
                return false;
            }
            const JsonValue* shape = a.find("type");
            accessor.components = shape && shape->isString() ? componentCount(shape->text) : 0;
            accessor.componentType =
                componentBytes(static_cast<long long>(type)) ? unsigned(type) : 0;
            if (!accessor.components || !accessor.componentType) {
                return refuse("has " + where + " of an unknown type");
            }
            if (count == 0 || count > 0xFFFFFFFFull) {
                return refuse("has " + where + " of " + std::to_string(count) + " elements");
            }
            accessor.count = static_cast<long long>(count);
            if (a.find("sparse")) {
                return refuse("has " + where +
                              " stored sparse, which the game does not read; "
                              "apply shape keys before exporting");
            }
            const unsigned long long element =
                componentBytes(accessor.componentType) * accessor.components;
            if (accessor.view < 0) {
                if (count * element > MAX_GLTF_ZERO_BYTES) {
                    return refuse("has " + where + " of " + std::to_string(count) +
                                  " elements without data");
                }
            } else {
                const View& view = views_[accessor.view];
                const unsigned long long stride = view.byteStride ? view.byteStride : element;
                if (accessor.byteOffset + stride * (count - 1) + element > view.byteLength) {
                    return refuse("has " + where + " reaching past the end of buffer view " +
                                  std::to_string(accessor.view));
                }
            }
            accessors_.push_back(accessor);
        }
        return true;
    }

    // The value of element `k` of an integer accessor with data.
    unsigned long long element(const Accessor& accessor, long long k) const {
        const View& view = views_[accessor.view];
        const unsigned size = componentBytes(accessor.componentType);
        const unsigned long long stride = view.byteStride ? view.byteStride : size;
        const std::string_view bytes = data_[view.buffer];
        const std::size_t at = view.byteOffset + accessor.byteOffset + stride * k;
        unsigned long long value = 0;
        for (unsigned b = size; b-- > 0;) {
            value = (value << 8) | static_cast<unsigned char>(bytes[at + b]);
        }
        return value;
    }

    bool checkMeshes() {
        const auto& meshes = *list(root_, "meshes", "the file");
        for (std::size_t m = 0; m < meshes.size(); ++m) {
            const std::string where = "mesh " + std::to_string(m);
            if (!meshes[m].isObject()) {
                return refuse("has " + where + " that is not an object");
            }
            const auto* primitives = list(meshes[m], "primitives", where);
            if (!primitives) {
                return false;
            }
            if (primitives->empty()) {
                return refuse("has " + where + " without primitives");
            }
            std::size_t targets = 0;
            for (const JsonValue& primitive : *primitives) {
                if (!checkPrimitive(primitive, where, targets)) {
                    return false;
                }
            }
            targetCounts_.push_back(targets);
        }
        return true;
    }

    bool checkAttributes(const JsonValue& attributes, const std::string& where, long long& vertices,
                         bool needPosition) {
        if (!attributes.isObject()) {
            return refuse("has " + where + " whose attributes are not an object");
        }
        for (std::size_t k = 0; k < attributes.keys.size(); ++k) {
            const JsonValue& value = attributes.items[k];
            if (!value.isInteger() || value.number < 0 ||
                value.number >= double(accessors_.size())) {
                return refuse("has " + where + " whose attribute " + attributes.keys[k] +
                              " names no accessor");
            }
        }
        const JsonValue* position = attributes.find("POSITION");
        if (!position) {
            return !needPosition || refuse("has " + where + " without vertex positions");
        }
        const Accessor& positions = accessors_[std::size_t(position->number)];
        if (positions.components != 3 || positions.componentType != 5126) {
            return refuse("has " + where + " whose positions are not three floats");
        }
        if (vertices < 0) {
            vertices = positions.count;
        }
        for (std::size_t k = 0; k < attributes.keys.size(); ++k) {
            const Accessor& accessor = accessors_[std::size_t(attributes.items[k].number)];
            if (accessor.count != vertices) {
                return refuse("has " + where + " whose attribute " + attributes.keys[k] + " has " +
                              std::to_string(accessor.count) + " values for " +
                              std::to_string(vertices) + " vertices");
            }
            if ((attributes.keys[k] == "NORMAL" && accessor.components != 3) ||
                (attributes.keys[k] == "TANGENT" && accessor.components != 4) ||
                (attributes.keys[k].starts_with("TEXCOORD_") && accessor.components != 2)) {
                return refuse("has " + where + " whose attribute " + attributes.keys[k] +
                              " has the wrong number of components");
            }
        }
        return true;
    }

    bool checkPrimitive(const JsonValue& primitive, const std::string& mesh, std::size_t& targets) {
        const std::string where = "a primitive of " + mesh;
        if (!primitive.isObject() || !primitive.find("attributes")) {
            return refuse("has " + where + " without attributes");
        }
        long long vertices = -1;
        if (!checkAttributes(*primitive.find("attributes"), where, vertices, true)) {
            return false;
        }
        unsigned long long mode = 4;
        long long material = -1, indices = -1;
        if (!whole(primitive, "mode", where, mode, 4) ||
            !index(primitive, "material", counts_["materials"], where, material) ||
            !index(primitive, "indices", accessors_.size(), where, indices)) {
            return false;
        }
        if (mode > 6) {
            return refuse("has " + where + " of an unknown mode");
        }
        // The importer counts a strip's or a fan's triangles as its points
        // less two, and a line strip's lines as its points less one, without
        // a look at how many there are.
        const long long points = indices >= 0 ? accessors_[indices].count : vertices;
        const long long fewest = mode >= 5 ? 3 : (mode == 2 || mode == 3) ? 2 : 0;
        if (points < fewest) {
            static const char* const shapes[] = {
                "", "", "line loop", "line strip", "", "triangle strip", "triangle fan"};
            return refuse("has " + where + " that is a " + shapes[mode] + " of " +
                          std::to_string(points) + (points == 1 ? " point" : " points") +
                          ", fewer than the " + std::to_string(fewest) + " it needs");
        }
        const auto* morphs = list(primitive, "targets", where);
        if (!morphs) {
            return false;
        }
        // The importer makes every use of an accessor a copy of its own.
        meshElements_ += static_cast<unsigned long long>(vertices) * (1 + morphs->size()) +
                         static_cast<unsigned long long>(indices >= 0 ? points : 0);
        if (meshElements_ > MAX_GLTF_MESH_ELEMENTS) {
            return refuse("has meshes whose primitives and morph targets name more than " +
                          std::to_string(MAX_GLTF_MESH_ELEMENTS) +
                          " vertices and indices in all, each use counted (" + where +
                          " goes beyond); the game reads levels up to that size");
        }
        if (indices >= 0) {
            const Accessor& list = accessors_[indices];
            if (list.components != 1 ||
                (list.componentType != 5121 && list.componentType != 5123 &&
                 list.componentType != 5125) ||
                list.view < 0) {
                return refuse("has " + where + " whose indices are not whole numbers with data");
            }
            for (long long k = 0; k < list.count; ++k) {
                if (element(list, k) >= static_cast<unsigned long long>(vertices)) {
                    return refuse("has " + where + " whose index " + std::to_string(k) +
                                  " names a vertex beyond its " + std::to_string(vertices));
                }
            }
        }
        targets = std::max(targets, morphs->size());
        for (const JsonValue& target : *morphs) {
            if (!checkAttributes(target, "a morph target of " + mesh, vertices, false)) {
                return false;
            }
        }
        return true;
    }

    bool checkNodes() {
        const auto& nodes = *list(root_, "nodes", "the file");
        const std::size_t lights = [&]() -> std::size_t {
            const JsonValue* extensions = root_.find("extensions");
            const JsonValue* punctual =
                extensions ? extensions->find("KHR_lights_punctual") : nullptr;
            const JsonValue* all = punctual ? punctual->find("lights") : nullptr;
            return all && all->isArray() ? all->items.size() : 0;
        }();
        parents_.assign(nodes.size(), -1);
        for (std::size_t n = 0; n < nodes.size(); ++n) {
            const JsonValue& node = nodes[n];
            const std::string where = "node " + std::to_string(n);
            long long ignored = -1;
            if (!node.isObject()) {
                return refuse("has " + where + " that is not an object");
            }
            if (!index(node, "mesh", counts_["meshes"], where, ignored) ||
                !index(node, "camera", counts_["cameras"], where, ignored) ||
                !index(node, "skin", counts_["skins"], where, ignored)) {
                return false;
            }
            if (const JsonValue* extensions = node.find("extensions")) {
                if (const JsonValue* light = extensions->find("KHR_lights_punctual")) {
                    if (!light->isObject() || !light->find("light") ||
                        !index(*light, "light", lights, where, ignored)) {
                        return result_.problem.empty()
                                   ? refuse("has " + where + " whose light names no light")
                                   : false;
                    }
                }
            }
            const auto* children = list(node, "children", where);
            if (!children) {
                return false;
            }
            for (const JsonValue& child : *children) {
                if (!child.isInteger() || child.number < 0 ||
                    child.number >= double(nodes.size())) {
                    return refuse("has " + where + " whose children name a node that is not there");
                }
                const std::size_t c = std::size_t(child.number);
                if (parents_[c] >= 0 || c == n) {
                    return refuse("has node " + std::to_string(c) +
                                  " as the child of two nodes, or of itself");
                }
                parents_[c] = static_cast<long long>(n);
            }
        }
        // With one parent each, a node is in a loop exactly when following
        // its parents never ends; the depth is counted on the way.
        for (std::size_t n = 0; n < nodes.size(); ++n) {
            int depth = 0;
            for (long long at = parents_[n]; at >= 0; at = parents_[at]) {
                if (++depth > MAX_GLTF_NODE_DEPTH) {
                    return refuse("nests its nodes more than " +
                                  std::to_string(MAX_GLTF_NODE_DEPTH) +
                                  " levels deep, or in a loop (nodes inside their own children)");
                }
            }
        }
        return true;
    }

    bool checkScenes() {
        const auto& scenes = *list(root_, "scenes", "the file");
        long long ignored = -1;
        if (!index(root_, "scene", scenes.size(), "the file", ignored)) {
            return false;
        }
        for (std::size_t s = 0; s < scenes.size(); ++s) {
            const std::string where = "scene " + std::to_string(s);
            if (!scenes[s].isObject()) {
                return refuse("has " + where + " that is not an object");
            }
            const auto* nodes = list(scenes[s], "nodes", where);
            if (!nodes) {
                return false;
            }
            for (const JsonValue& node : *nodes) {
                if (!node.isInteger() || node.number < 0 ||
                    node.number >= double(parents_.size())) {
                    return refuse("has " + where + " naming a node that is not there");
                }
                if (parents_[std::size_t(node.number)] >= 0) {
                    return refuse("has " + where + " whose node " +
                                  std::to_string(long(node.number)) +
                                  " is also the child of another node");
                }
            }
        }
        return true;
    }

    bool checkImagesAndTextures() {
        const auto& images = *list(root_, "images", "the file");
        for (std::size_t i = 0; i < images.size(); ++i) {
            const std::string where = "image " + std::to_string(i);
            long long view = -1;
            if (!images[i].isObject() ||
                !index(images[i], "bufferView", views_.size(), where, view)) {
                return result_.problem.empty() ? refuse("has " + where + " that is not an object")
                                               : false;
            }
            const JsonValue* uri = images[i].find("uri");
            if (uri && !uri->isString()) {
                return refuse("has " + where + " whose \"uri\" is not text");
            }
        }
        const auto& textures = *list(root_, "textures", "the file");
        for (std::size_t t = 0; t < textures.size(); ++t) {
            const std::string where = "texture " + std::to_string(t);
            long long ignored = -1;
            if (!textures[t].isObject() ||
                !index(textures[t], "source", images.size(), where, ignored) ||
                !index(textures[t], "sampler", counts_["samplers"], where, ignored)) {
                return result_.problem.empty() ? refuse("has " + where + " that is not an object")
                                               : false;
            }
        }
        return true;
    }

    // Every "index" of an object named "...Texture", at any depth of a
    // material (its extensions too), names a texture.
    bool checkTextureReferences(const JsonValue& value, const std::string& where, int depth) {
        if (depth > MAX_GLTF_JSON_DEPTH) {
            return true;
        }
        for (std::size_t k = 0; k < value.items.size(); ++k) {
            const JsonValue& item = value.items[k];
            const bool texture = value.isObject() && value.keys[k].ends_with("Texture");
            long long ignored = -1;
            if (texture && (!item.isObject() || !item.find("index") ||
                            !index(item, "index", counts_["textures"], where, ignored))) {
                return result_.problem.empty() ? refuse("has " + where + " whose " + value.keys[k] +
                                                        " names no texture")
                                               : false;
            }
            if (texture) {
                unsigned long long coordinates = 0;
                if (!whole(item, "texCoord", where, coordinates, 0)) {
                    return false;
                }
                if (coordinates > 7) {
                    return refuse("has " + where + " whose " + value.keys[k] +
                                  " reads texture coordinates set " + std::to_string(coordinates));
                }
            }
            if (!checkTextureReferences(item, where, depth + 1)) {
                return false;
            }
        }
        return true;
    }

    bool checkMaterials() {
        const auto& materials = *list(root_, "materials", "the file");
        for (std::size_t m = 0; m < materials.size(); ++m) {
            if (!checkTextureReferences(materials[m], "material " + std::to_string(m), 0)) {
                return false;
            }
            float strength = 1.0f;
            const JsonValue* extensions = materials[m].find("extensions");
            const JsonValue* emissive =
                extensions ? extensions->find("KHR_materials_emissive_strength") : nullptr;
            const JsonValue* value = emissive ? emissive->find("emissiveStrength") : nullptr;
            if (value && value->isNumber() && std::isfinite(value->number) &&
                value->number >= 0.0 && value->number <= 1e6) {
                strength = static_cast<float>(value->number);
            }
            result_.emissiveStrengths.push_back(strength);
        }
        return true;
    }

    bool checkSkins() {
        const auto& skins = *list(root_, "skins", "the file");
        for (std::size_t s = 0; s < skins.size(); ++s) {
            const std::string where = "skin " + std::to_string(s);
            long long matrices = -1, skeleton = -1;
            if (!skins[s].isObject()) {
                return refuse("has " + where + " that is not an object");
            }
            const auto* joints = list(skins[s], "joints", where);
            if (!joints ||
                !index(skins[s], "inverseBindMatrices", accessors_.size(), where, matrices) ||
                !index(skins[s], "skeleton", parents_.size(), where, skeleton)) {
                return false;
            }
            // Optional in the format, but the importer reads them unchecked.
            if (matrices < 0) {
                return refuse("has " + where +
                              " without inverse bind matrices, which the importer cannot do "
                              "without");
            }
            for (const JsonValue& joint : *joints) {
                if (!joint.isInteger() || joint.number < 0 ||
                    joint.number >= double(parents_.size())) {
                    return refuse("has " + where + " whose joints name a node that is not there");
                }
            }
            if (accessors_[matrices].components != 16 ||
                accessors_[matrices].count < static_cast<long long>(joints->size())) {
                return refuse("has " + where + " with fewer bind matrices than joints");
            }
        }
        return true;
    }

    bool checkAnimations() {
        const auto& animations = *list(root_, "animations", "the file");
        for (std::size_t a = 0; a < animations.size(); ++a) {
            const std::string where = "animation " + std::to_string(a);
            if (!animations[a].isObject()) {
                return refuse("has " + where + " that is not an object");
            }
            const auto* samplers = list(animations[a], "samplers", where);
            const auto* channels = samplers ? list(animations[a], "channels", where) : nullptr;
            if (!channels) {
                return false;
            }
            for (const JsonValue& sampler : *samplers) {
                long long input = -1, output = -1;
                if (!sampler.isObject() || !sampler.find("input") || !sampler.find("output")) {
                    return refuse("has " + where + " with a sampler without input or output");
                }
                if (!index(sampler, "input", accessors_.size(), where, input) ||
                    !index(sampler, "output", accessors_.size(), where, output)) {
                    return false;
                }
                const JsonValue* interpolation = sampler.find("interpolation");
                const long long keys =
                    accessors_[input].count * (interpolation && interpolation->isString() &&
                                                       interpolation->text == "CUBICSPLINE"
                                                   ? 3
                                                   : 1);
                if (accessors_[output].count < keys) {
                    return refuse("has " + where + " with fewer values than key frames");
                }
            }
            for (const JsonValue& channel : *channels) {
                long long sampler = -1, node = -1;
                const JsonValue* target = channel.isObject() ? channel.find("target") : nullptr;
                if (!target || !target->isObject() || !channel.find("sampler")) {
                    return refuse("has " + where + " with a channel without sampler or target");
                }
                if (!index(channel, "sampler", samplers->size(), where, sampler) ||
                    !index(*target, "node", parents_.size(), where, node)) {
                    return false;
                }
            }
        }
        return true;
    }

    const std::string& path_;
    const JsonValue& root_;
    std::string_view bin_;
    bool binary_;
    GltfFileCheck result_;
    std::map<std::string, std::size_t> counts_;
    std::vector<unsigned long long> lengths_;
    unsigned long long meshElements_ = 0;
    std::vector<std::string_view> data_;
    std::vector<std::vector<unsigned char>> owned_;
    std::vector<View> views_;
    std::vector<Accessor> accessors_;
    std::vector<std::size_t> targetCounts_;
    std::vector<long long> parents_;
};

GltfFileCheck brokenGltf(std::string problem) {
    GltfFileCheck check;
    check.problem = std::move(problem);
    return check;
}

} // namespace

GltfFileCheck checkGltf(const std::string& path, std::string_view bytes, bool binary) {
    std::string_view json = bytes;
    std::string_view bin;
    if (binary) {
        if (bytes.size() < 20) {
            return brokenGltf("is too short for a glTF binary file");
        }
        const uint32_t version = littleEndian32(bytes, 4);
        const uint32_t length = littleEndian32(bytes, 8);
        if (littleEndian32(bytes, 0) != GLB_MAGIC || version != 2) {
            return brokenGltf("is a glTF binary file of version " + std::to_string(version) +
                              "; the game reads version 2");
        }
        if (length != bytes.size()) {
            return brokenGltf("says it is " + std::to_string(length) + " bytes long, but holds " +
                              std::to_string(bytes.size()));
        }
        const uint32_t jsonLength = littleEndian32(bytes, 12);
        if (littleEndian32(bytes, 16) != CHUNK_JSON || jsonLength > bytes.size() - 20) {
            return brokenGltf("has no JSON chunk within it where a glTF binary file has one");
        }
        json = bytes.substr(20, jsonLength);
        std::size_t next = 20 + std::size_t(jsonLength);
        next += (4 - next % 4) % 4;
        if (next + 8 <= bytes.size()) {
            const uint32_t binLength = littleEndian32(bytes, next);
            if (littleEndian32(bytes, next + 4) == CHUNK_BIN) {
                if (binLength > bytes.size() - next - 8) {
                    return brokenGltf("has a binary chunk reaching past its end");
                }
                bin = bytes.substr(next + 8, binLength);
            }
        }
    }
    const JsonRead read = readJson(json, MAX_GLTF_JSON_DEPTH);
    if (!read.value) {
        return brokenGltf(read.problem);
    }
    return GltfChecker(path, *read.value, bin, binary).run();
}

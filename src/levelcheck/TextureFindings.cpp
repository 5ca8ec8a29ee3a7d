#include "levelcheck/TextureFindings.h"

#include "assets/EmbeddedImages.h"
#include "assets/ModelLoader.h"
#include "assets/ShapeStores.h"
#include "assets/TextureFiles.h"
#include "game/TrackGeometry.h"
#include "world/LevelSky.h"
#include "world/World.h"

#include <set>
#include <string>

namespace {

// How a finding names a texture: its path, or for an image the level holds
// itself, the importer's name for it.
std::string shownName(const std::string& name) {
    if (embeddedImage(name)) {
        const std::size_t star = name.rfind('*');
        return name.substr(star == std::string::npos ? 0 : star) +
               " (an image embedded in the level)";
    }
    const std::string path = textureSourcePath(name);
    return path.starts_with("./") ? path.substr(2) : path;
}

void checkTexture(const std::string& name, const GameObject& object, std::set<std::string>& seen,
                  std::vector<LevelFinding>& findings) {
    if (!seen.insert(name).second) {
        return;
    }
    // No edge limit: scaling a large image down is the driver's business and
    // the game says so as news, not as a fault.
    const TextureImage image = readTextureImage(name, 0);
    if (image.ok()) {
        return;
    }
    findings.push_back({LevelFinding::Severity::Error, designerName(object.name),
                        "its material's texture " + shownName(name) + " cannot be used: " +
                            image.failure + " (the game draws the surface without it)",
                        "save the image again as a PNG or JPEG file of at most 4096x4096 pixels"});
}

// The level's own sky; the shipped one is the game's, not the level's.
void checkSky(const World& world, std::vector<LevelFinding>& findings) {
    if (world.skyboxName.empty() || world.skyboxName == SHIPPED_SKY_NAME) {
        return;
    }
    readCubeFaces(world.skyboxName, 0, [&findings](std::size_t, const CubeFace& face) {
        if (!face.problem.empty()) {
            findings.push_back({LevelFinding::Severity::Error, face.path,
                                "this face of the level's sky cannot be used: " + face.problem +
                                    " (the game then draws the sky black)",
                                "make the six faces square PNG images of one size"});
        }
    });
}

} // namespace

void addTextureFindings(const World& world, std::vector<LevelFinding>& findings) {
    checkSky(world, findings);
    std::set<std::string> seen;
    for (const GameObject& object : world.objects) {
        const Model& model = ModelLoader::instance().get(object.name);
        for (const std::vector<uint32_t>& level : model.meshLevels) {
            for (uint32_t position : level) {
                if (position >= meshStore().size()) {
                    continue;
                }
                // Only the first of each list is ever drawn with.
                const Material& material = meshStore().at(position).material;
                if (!material.diffuseTextures.empty()) {
                    checkTexture(material.diffuseTextures.front(), object, seen, findings);
                }
                if (!material.normalTextures.empty()) {
                    checkTexture(material.normalTextures.front(), object, seen, findings);
                }
            }
        }
    }
}

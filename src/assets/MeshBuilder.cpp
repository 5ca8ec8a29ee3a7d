#include "assets/MeshBuilder.h"

#include "assets/EmbeddedImages.h"
#include "assets/MaterialSidecar.h"
#include "assets/TextureLookup.h"
#include "core/Log.h"

#include <assimp/mesh.h>
#include <assimp/scene.h>

#include <cmath>

namespace {

bool finite(const glm::vec3& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// The unit vector along v, or false when v has no usable direction.
bool normalised(const glm::vec3& v, glm::vec3& out) {
    const float length = glm::length(v);
    if (!(length > 0.0f) || !std::isfinite(length)) {
        return false;
    }
    const glm::vec3 unit = v * (1.0f / length);
    if (!finite(unit)) {
        return false;
    }
    out = unit;
    return true;
}

// A right-handed frame around the normal (tangent x bitangent = normal) for
// vertices whose texture coordinates give no direction.
void frameAroundNormal(const glm::vec3& normal, glm::vec3& tangent, glm::vec3& bitangent) {
    glm::vec3 n;
    if (!normalised(normal, n)) {
        n = glm::vec3(0.0f, 0.0f, 1.0f);
    }
    const glm::vec3 axis = std::abs(n.x) < 0.9f ? glm::vec3(1, 0, 0) : glm::vec3(0, 1, 0);
    tangent = glm::normalize(axis - n * glm::dot(n, axis));
    bitangent = glm::cross(n, tangent);
}

// Area-weighted vertex normals for meshes imported without any.
void computeNormals(std::vector<Vertex>& vertices, const std::vector<uint32_t>& indices) {
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
        Vertex& a = vertices[indices[i]];
        Vertex& b = vertices[indices[i + 1]];
        Vertex& c = vertices[indices[i + 2]];
        const glm::vec3 n = glm::cross(b.position - a.position, c.position - a.position);
        if (finite(n)) {
            a.normal += n;
            b.normal += n;
            c.normal += n;
        }
    }
    for (Vertex& v : vertices) {
        if (!normalised(v.normal, v.normal)) {
            v.normal = glm::vec3(0.0f, 0.0f, 1.0f);
        }
    }
}

} // namespace

void computeTangentFrame(std::vector<Vertex>& vertices, const std::vector<uint32_t>& indices) {
    const std::size_t count = vertices.size();
    for (std::size_t i = 0; i + 2 < indices.size(); i += 3) {
        const uint32_t i0 = indices[i], i1 = indices[i + 1], i2 = indices[i + 2];
        if (i0 >= count || i1 >= count || i2 >= count) {
            continue;
        }
        Vertex& v0 = vertices[i0];
        Vertex& v1 = vertices[i1];
        Vertex& v2 = vertices[i2];
        const glm::vec3 e1 = v1.position - v0.position;
        const glm::vec3 e2 = v2.position - v0.position;
        const glm::vec2 d1 = v1.texCoord - v0.texCoord;
        const glm::vec2 d2 = v2.texCoord - v0.texCoord;
        // Texture coordinates without area give no direction: 1/0 here.
        const float f = 1.0f / (d1.x * d2.y - d2.x * d1.y);
        if (!std::isfinite(f)) {
            continue;
        }
        const glm::vec3 t = f * (d2.y * e1 - d1.y * e2);
        const glm::vec3 b = f * (d1.x * e2 - d2.x * e1);
        if (!finite(t) || !finite(b)) {
            continue;
        }
        v0.tangent += t;
        v1.tangent += t;
        v2.tangent += t;
        v0.bitangent += b;
        v1.bitangent += b;
        v2.bitangent += b;
    }
    for (Vertex& v : vertices) {
        glm::vec3 t, b;
        const bool hasT = normalised(v.tangent, t);
        const bool hasB = normalised(v.bitangent, b);
        if (hasT && hasB) {
            v.tangent = t;
            v.bitangent = b;
        } else if (hasT && normalised(glm::cross(v.normal, t), b)) {
            v.tangent = t;
            v.bitangent = b;
        } else if (hasB && normalised(glm::cross(b, v.normal), t)) {
            v.tangent = t;
            v.bitangent = b;
        } else {
            frameAroundNormal(v.normal, v.tangent, v.bitangent);
        }
    }
}

std::vector<std::string> textureNames(const aiMaterial* material, aiTextureType kind) {
    std::vector<std::string> names;
    const unsigned count = material->GetTextureCount(kind);
    for (unsigned i = 0; i < count; ++i) {
        aiString path;
        material->GetTexture(kind, i, &path);
        const std::string text(path.C_Str(), path.length);
        const std::size_t slash = text.find_last_of('\\');
        names.push_back(slash == std::string::npos ? text : text.substr(slash + 1));
    }
    return names;
}

namespace {

glm::vec3 colourOr(const aiMaterial* material, const char* key, unsigned type, unsigned index,
                   const glm::vec3& fallback) {
    aiColor3D colour(fallback.x, fallback.y, fallback.z);
    if (material->Get(key, type, index, colour) != aiReturn_SUCCESS) {
        return fallback;
    }
    const glm::vec3 value(colour.r, colour.g, colour.b);
    return finite(value) ? value : fallback;
}

// Replaces each name by the file it was found in, or an image the scene
// carries by its embedded name; names found nowhere move to `missing`
// (reported once by the lookup), so the surface is never drawn with a
// texture that is not its own.
void locateAll(std::vector<std::string>& names, std::vector<std::string>& missing,
               const aiScene* scene, const std::string& sourceFile) {
    std::vector<std::string> found;
    for (const std::string& name : names) {
        if (name.starts_with("*")) {
            const aiTexture* image = scene->GetEmbeddedTexture(name.c_str());
            // Only compressed images (a PNG or JPEG file's bytes) are
            // embedded by glTF; the importer gives width 0 for none.
            if (image && image->mHeight == 0 && image->mWidth > 0) {
                std::string embedded = embeddedImageName(sourceFile, name);
                keepEmbeddedImage(embedded, reinterpret_cast<const unsigned char*>(image->pcData),
                                  image->mWidth);
                found.push_back(std::move(embedded));
                continue;
            }
        }
        std::string path = locateTexture(name, sourceFile);
        if (path.empty()) {
            missing.push_back(name);
        } else {
            found.push_back(std::move(path));
        }
    }
    names = std::move(found);
}

} // namespace

Material readMaterial(const aiMesh* mesh, const aiScene* scene, const glm::vec3& defaultAmbient,
                      float defaultShininess, const std::string& sourceFile) {
    Material result;
    result.ambientColor = defaultAmbient;
    result.expShininess = defaultShininess;
    result.diffuseIntensity = 3.0f;
    if (mesh->mMaterialIndex >= scene->mNumMaterials) {
        return result; // a scene without that material: the defaults stand
    }
    const aiMaterial* material = scene->mMaterials[mesh->mMaterialIndex];
    result.diffuseTextures = textureNames(material, aiTextureType_DIFFUSE);
    result.normalTextures = textureNames(material, aiTextureType_NORMALS);

    aiColor3D ambient(0.0f, 0.0f, 0.0f);
    material->Get(AI_MATKEY_COLOR_AMBIENT, ambient);
    if (ambient.r != 0.0f || ambient.g != 0.0f || ambient.b != 0.0f) {
        result.ambientColor = glm::vec3(ambient.r, ambient.g, ambient.b);
    }

    aiColor3D specular(0.0f, 0.0f, 0.0f);
    material->Get(AI_MATKEY_COLOR_SPECULAR, specular);
    result.specularColor = glm::vec3(specular.r, specular.g, specular.b);

    float shininess = 0.0f;
    if (material->Get(AI_MATKEY_SHININESS, shininess) == aiReturn_SUCCESS && shininess != 0.0f) {
        result.expShininess = shininess;
    }

    result.diffuseColor = colourOr(material, AI_MATKEY_COLOR_DIFFUSE, result.diffuseColor);
    result.emissiveColor = colourOr(material, AI_MATKEY_COLOR_EMISSIVE, result.emissiveColor);

    if (!sourceFile.empty()) {
        // A diffuse "X_diffuse.png" without a normal map brings "X_normal.png"
        // from beside it when there is one: Blender's export drops normal maps.
        std::string companion;
        if (result.normalTextures.empty() && !result.diffuseTextures.empty()) {
            companion = companionNormalMapName(result.diffuseTextures.front());
        }
        locateAll(result.diffuseTextures, result.missingTextures, scene, sourceFile);
        locateAll(result.normalTextures, result.missingTextures, scene, sourceFile);
        if (!companion.empty() && !result.diffuseTextures.empty()) {
            std::string path = findTexture(companion, sourceFile).path;
            if (!path.empty()) {
                result.normalTextures.push_back(std::move(path));
            }
        }
        aiString name;
        if (material->Get(AI_MATKEY_NAME, name) == aiReturn_SUCCESS) {
            applyMaterialOverride(result, std::string(name.C_Str(), name.length), sourceFile);
        }
    }
    return result;
}

Mesh buildMesh(const aiMesh* mesh, const aiScene* scene, TangentFrame tangentFrame,
               const std::string& sourceFile) {
    std::vector<Vertex> vertices(mesh->mNumVertices);
    const bool hasNormals = mesh->HasNormals();
    const bool hasTexCoords = mesh->HasTextureCoords(0);
    for (unsigned i = 0; i < mesh->mNumVertices; ++i) {
        Vertex& v = vertices[i];
        const aiVector3D& p = mesh->mVertices[i];
        v.position = glm::vec3(p.x, p.y, p.z);
        if (hasNormals) {
            const aiVector3D& n = mesh->mNormals[i];
            v.normal = glm::vec3(n.x, n.y, n.z);
        }
        if (hasTexCoords) {
            const aiVector3D& uv = mesh->mTextureCoords[0][i];
            v.texCoord = glm::vec2(uv.x, uv.y);
        }
    }

    std::vector<uint32_t> indices;
    indices.reserve(std::size_t(mesh->mNumFaces) * 3);
    for (unsigned f = 0; f < mesh->mNumFaces; ++f) {
        const aiFace& face = mesh->mFaces[f];
        // Points and lines have no area to draw; polygons become fans.
        for (unsigned k = 2; k < face.mNumIndices; ++k) {
            indices.push_back(face.mIndices[0]);
            indices.push_back(face.mIndices[k - 1]);
            indices.push_back(face.mIndices[k]);
        }
    }

    if (!hasNormals) {
        logMessage(LogLevel::INFO, "Mesh \"" + std::string(mesh->mName.C_Str()) +
                                       "\" has no normals; using normals averaged from its "
                                       "triangles");
        computeNormals(vertices, indices);
    }
    if (tangentFrame == TangentFrame::Compute) {
        computeTangentFrame(vertices, indices);
    }
    const Material material =
        readMaterial(mesh, scene, glm::vec3(0.2f, 0.2f, 0.2f), 8.0f, sourceFile);
    return Mesh(std::move(vertices), std::move(indices), material);
}

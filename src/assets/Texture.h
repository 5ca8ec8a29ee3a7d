#pragma once

#include <array>
#include <cstdint>
#include <string>

// An OpenGL texture name. 0 means no texture (a failed load); binding it
// unbinds the unit's texture of that target. The program never deletes a
// loaded texture: it lives until the context ends. Moving hands over the name
// and leaves 0 behind; textures are not copied.
class TextureBase {
public:
    // Creates one OpenGL texture name (needs a current context).
    TextureBase();
    TextureBase(TextureBase&& other) noexcept;
    TextureBase& operator=(TextureBase&& other) noexcept;

    // Makes texture unit GL_TEXTURE0 + unit active, binds the texture to the
    // class's target there and sets the sampler uniform `uniformName` of the
    // program (which must be in use) to that unit.
    virtual void bind(uint32_t program, uint32_t unit, const std::string& uniformName) const = 0;

    uint32_t id = 0;

protected:
    // Textures live by value in their caches and are never deleted through a
    // pointer to this base.
    ~TextureBase() = default;
    void bindTo(uint32_t target, uint32_t program, uint32_t unit,
                const std::string& uniformName) const;
};

// A 2D texture: a diffuse colour map or a normal map.
class Texture final : public TextureBase {
public:
    void bind(uint32_t program, uint32_t unit, const std::string& uniformName) const override;
};

// A cube map of six face images: the sky.
class Cubemap final : public TextureBase {
public:
    void bind(uint32_t program, uint32_t unit, const std::string& uniformName) const override;
};

// Face image names in upload order: entry i goes to GL_TEXTURE_CUBE_MAP_POSITIVE_X + i
// ("right" +X, "left" -X, "top" +Y, "bottom" -Y, "front" +Z, "back" -Z).
extern const std::array<std::string, 6> cubeFaceNames;

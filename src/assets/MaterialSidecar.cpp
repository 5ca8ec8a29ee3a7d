#include "assets/MaterialSidecar.h"

#include "assets/TextureLookup.h"
#include "core/Log.h"
#include "core/RegularFile.h"

#include <cmath>
#include <filesystem>
#include <mutex>
#include <sstream>
#include <system_error>

namespace {

std::string trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const std::size_t last = text.find_last_not_of(" \t\r");
    return text.substr(first, last - first + 1);
}

// Whole text as numbers, each finite and not below `least`.
bool readNumbers(const std::string& text, float* out, int count, float least, bool strictly) {
    std::istringstream in(text);
    for (int i = 0; i < count; ++i) {
        if (!(in >> out[i]) || !std::isfinite(out[i]) || out[i] < least ||
            (strictly && out[i] == least)) {
            return false;
        }
    }
    std::string rest;
    return !(in >> rest);
}

// Quoted text from the file, cut short: a single line of megabytes must not
// be echoed whole.
std::string shortQuote(const std::string& text) {
    constexpr std::size_t SHOWN = 40;
    std::string out = "\"";
    if (text.size() <= SHOWN) {
        out += text;
        out += '"';
        return out;
    }
    std::size_t cut = SHOWN;
    // Not inside a UTF-8 sequence.
    while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) {
        --cut;
    }
    out.append(text, 0, cut);
    out += "\"\u2026 (";
    out += std::to_string(text.size());
    out += " bytes)";
    return out;
}

} // namespace

std::string materialSidecarPath(const std::string& sourceFile) {
    return std::filesystem::path(sourceFile).replace_extension(".materials").generic_string();
}

MaterialOverrides parseMaterialOverrides(const std::string& text, const std::string& path) {
    MaterialOverrides overrides;
    MaterialOverride* current = nullptr;
    // Editors such as Notepad start UTF-8 text with a byte order mark.
    const std::size_t start = text.starts_with("\xEF\xBB\xBF") ? 3 : 0;
    std::istringstream lines(text.substr(start));
    std::string line;
    int number = 0;
    int skipped = 0;
    const auto skip = [&](const std::string& why) {
        if (++skipped <= MAX_MATERIAL_FILE_REPORTS) {
            logMessage(LogLevel::ERROR, "Material file " + path + ", line " +
                                            std::to_string(number) + ": " + why +
                                            "; the line is ignored.");
        }
    };
    while (std::getline(lines, line)) {
        ++number;
        line = trimmed(line.substr(0, line.find_first_of(";#")));
        if (line.empty()) {
            continue;
        }
        if (line.front() == '[') {
            const std::string name = trimmed(line.substr(1, line.find(']') - 1));
            if (line.back() != ']' || name.empty()) {
                current = nullptr;
                skip(shortQuote(line) + " is not a section header like [rock]");
            } else {
                current = &overrides[name];
            }
            continue;
        }
        const std::size_t equals = line.find('=');
        if (equals == std::string::npos) {
            skip(shortQuote(line) + " is not \"key = value\"");
            continue;
        }
        if (!current) {
            skip("a key before any [material] section");
            continue;
        }
        const std::string key = trimmed(line.substr(0, equals));
        const std::string value = trimmed(line.substr(equals + 1));
        float numbers[3] = {};
        if (key == "normal") {
            if (value.empty()) {
                skip("normal needs a file name");
            } else {
                current->normal = value;
            }
        } else if (key == "ambient" || key == "specular" || key == "emission") {
            if (!readNumbers(value, numbers, 3, 0.0f, false)) {
                skip(key + " needs three numbers of 0 or more, not " + shortQuote(value));
                continue;
            }
            const glm::vec3 colour(numbers[0], numbers[1], numbers[2]);
            (key == "ambient"    ? current->ambient
             : key == "specular" ? current->specular
                                 : current->emission) = colour;
        } else if (key == "shininess") {
            if (!readNumbers(value, numbers, 1, 0.0f, true)) {
                skip("shininess needs one number above 0, not " + shortQuote(value));
                continue;
            }
            current->shininess = numbers[0];
        } else {
            skip("unknown key " + shortQuote(key) +
                 " (known: normal, ambient, specular, shininess, emission)");
        }
    }
    if (skipped > MAX_MATERIAL_FILE_REPORTS) {
        logMessage(LogLevel::ERROR, "Material file " + path + ": \u2026 and " +
                                        std::to_string(skipped - MAX_MATERIAL_FILE_REPORTS) +
                                        " more lines ignored.");
    }
    return overrides;
}

const MaterialOverrides& materialOverridesFor(const std::string& sourceFile) {
    static std::mutex guard;
    static std::map<std::string, MaterialOverrides> read; // by place; lives until exit
    const std::string path = materialSidecarPath(sourceFile);
    // A relative path means another file after the working folder changes.
    std::error_code ignored;
    const std::string key = std::filesystem::current_path(ignored).generic_string() + '\n' + path;
    std::lock_guard<std::mutex> lock(guard);
    if (const auto it = read.find(key); it != read.end()) {
        return it->second;
    }
    MaterialOverrides overrides;
    if (BoundedRead file = readBoundedFile(path, MAX_MATERIAL_FILE_BYTES); file.tooLarge) {
        logMessage(LogLevel::ERROR, "Material file " + path + " is larger than " +
                                        byteSizeText(MAX_MATERIAL_FILE_BYTES) +
                                        ", far more than any level needs; it is ignored.");
    } else if (file.problem.empty()) {
        overrides = parseMaterialOverrides(file.text, path);
    } else if (!file.missing) {
        logMessage(LogLevel::ERROR,
                   "Material file " + path + " cannot be read: " + file.problem + ".");
    }
    return read.emplace(key, std::move(overrides)).first->second;
}

void applyMaterialOverride(Material& material, const std::string& materialName,
                           const std::string& sourceFile) {
    const MaterialOverrides& overrides = materialOverridesFor(sourceFile);
    const auto it = overrides.find(materialName);
    if (it == overrides.end()) {
        return;
    }
    const MaterialOverride& o = it->second;
    if (o.normal) {
        const std::string path = locateTexture(*o.normal, sourceFile);
        material.normalTextures.clear();
        if (path.empty()) {
            material.missingTextures.push_back(*o.normal);
        } else {
            material.normalTextures.push_back(path);
        }
    }
    if (o.ambient) {
        material.ambientColor = *o.ambient;
    }
    if (o.specular) {
        material.specularColor = *o.specular;
    }
    if (o.shininess) {
        material.expShininess = *o.shininess;
    }
    if (o.emission) {
        material.emissiveColor = *o.emission;
    }
}

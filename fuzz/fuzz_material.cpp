// The material file beside a level: any bytes as its text. (The size ceiling
// before the parser is the unit tests'; a file per input here would grow the
// loader's once-per-run cache without end.)
#include "FuzzSupport.h"

#include "assets/MaterialSidecar.h"
#include "core/Log.h"

#include <cmath>
#include <cstdlib>
#include <string>

namespace {

bool usableColour(const std::optional<glm::vec3>& colour) {
    return !colour || (std::isfinite(colour->x) && std::isfinite(colour->y) &&
                       std::isfinite(colour->z) && colour->x >= 0.0f && colour->y >= 0.0f &&
                       colour->z >= 0.0f);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    silenceConsole();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    // Every line the parser reports is kept, to count them.
    LogCapture capture;
    const MaterialOverrides overrides = parseMaterialOverrides(text, "level.materials");
    // However broken the file, the console gets at most the reported lines
    // and the one that counts the rest, none of them longer than a screen.
    if (capture.lines().size() > std::size_t(MAX_MATERIAL_FILE_REPORTS) + 1) {
        std::abort();
    }
    for (const LogCapture::Line& line : capture.lines()) {
        if (line.level != LogLevel::ERROR || line.text.size() > 400) {
            std::abort();
        }
    }
    for (const auto& [name, o] : overrides) {
        const bool usable = !name.empty() && (!o.normal || !o.normal->empty()) &&
                            (!o.shininess || (std::isfinite(*o.shininess) && *o.shininess > 0.0f)) &&
                            usableColour(o.ambient) && usableColour(o.specular) &&
                            usableColour(o.emission);
        if (!usable) {
            std::abort();
        }
    }
    return 0;
}

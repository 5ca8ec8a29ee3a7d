#include "world/ModelNames.h"

#include "assets/ModelLoader.h"

#include <map>
#include <unordered_set>

namespace {

// Whether the model cache holds a name. The cache only appends, so the
// names are taken in as they come: a level of thousands of nodes would
// otherwise walk the whole cache for each of them.
bool modelNameTaken(const std::string& name) {
    // Lives until exit, like the cache it mirrors.
    static std::unordered_set<std::string> names;
    static std::size_t seen = 0;
    ModelLoader& models = ModelLoader::instance();
    for (; seen < models.size(); ++seen) {
        names.insert(models.nameAt(seen));
    }
    return names.contains(name);
}

} // namespace

std::string freeModelName(const std::string& name) {
    if (!modelNameTaken(name)) {
        return name;
    }
    // Levels loaded again and again (tests, benchmarks) would otherwise try
    // every used suffix each time.
    static std::map<std::string, int> lastSuffix;
    for (int& n = lastSuffix.try_emplace(name, 1).first->second;;) {
        std::string candidate = name + "#" + std::to_string(++n);
        if (!modelNameTaken(candidate)) {
            return candidate;
        }
    }
}

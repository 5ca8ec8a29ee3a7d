#include "assets/EmbeddedImages.h"

#include <map>
#include <mutex>

namespace {

std::mutex guard;
// Lives until exit, like the texture cache that reads from it; an entry
// never moves once made.
std::map<std::string, std::vector<unsigned char>> images;

} // namespace

std::string embeddedImageName(const std::string& levelFile, const std::string& importerName) {
    return levelFile + importerName;
}

void keepEmbeddedImage(const std::string& name, const unsigned char* bytes, std::size_t size) {
    std::lock_guard<std::mutex> lock(guard);
    images.try_emplace(name, bytes, bytes + size);
}

const std::vector<unsigned char>* embeddedImage(const std::string& name) {
    std::lock_guard<std::mutex> lock(guard);
    const auto it = images.find(name);
    return it == images.end() ? nullptr : &it->second;
}

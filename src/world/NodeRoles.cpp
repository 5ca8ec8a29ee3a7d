#include "world/NodeRoles.h"

namespace {

struct RoleWord {
    const char* word;
    NodeRole role;
    const char* becomes;
};
constexpr RoleWord ROLE_WORDS[] = {
    {"roid", NodeRole::Asteroid, "an asteroid"},
    {"sun", NodeRole::Sun, "an obstacle"},
    {"ring", NodeRole::Ring, "a ring"},
    {"tcan", NodeRole::Trash, "a trash can"},
};

} // namespace

NodeRole roleOf(const std::string& name) {
    for (const RoleWord& entry : ROLE_WORDS) {
        if (name.find(entry.word) != std::string::npos) {
            return entry.role;
        }
    }
    return NodeRole::Nothing;
}

const char* becomes(NodeRole role) {
    for (const RoleWord& entry : ROLE_WORDS) {
        if (entry.role == role) {
            return entry.becomes;
        }
    }
    return "nothing";
}

std::vector<std::string> keywordsIn(const std::string& name) {
    std::vector<std::string> found;
    for (const RoleWord& entry : ROLE_WORDS) {
        if (name.find(entry.word) != std::string::npos) {
            found.push_back(std::string("\"") + entry.word + "\"");
        }
    }
    return found;
}

bool namesCamera(const std::string& name) {
    return name.find("Camera") != std::string::npos;
}

bool namesLamp(const std::string& name) {
    return name.find("Lamp") != std::string::npos;
}

std::string joined(const std::vector<std::string>& parts, const std::string& last) {
    std::string text;
    for (std::size_t i = 0; i < parts.size(); ++i) {
        text += (i == 0 ? "" : i + 1 == parts.size() ? last : ", ") + parts[i];
    }
    return text;
}

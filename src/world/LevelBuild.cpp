#include "world/LevelBuild.h"

#include <assimp/scene.h>

void LevelBuild::report(LevelFinding::Severity severity, const std::string& node,
                        std::string problem, std::string remedy) {
    findings.push_back({severity, node, std::move(problem), std::move(remedy)});
}

void LevelBuild::refuse(const std::string& node, std::string problem, std::string remedy) {
    report(LevelFinding::Severity::Error, node, std::move(problem), std::move(remedy));
    error = consoleText(path, findings.back());
}

void LevelBuild::refuse(std::string line, const std::string& node, std::string problem,
                        std::string remedy) {
    report(LevelFinding::Severity::Error, node, std::move(problem), std::move(remedy));
    error = std::move(line);
}

std::string nodeName(const aiNode* node) {
    return std::string(node->mName.C_Str(), node->mName.length);
}

#include "world/DeepNodes.h"

#include "world/LevelBuild.h"
#include "world/NodeRoles.h"

#include <assimp/scene.h>

#include <vector>

void reportDeepKeywordNodes(const aiNode* root, LevelBuild& build) {
    struct Visit {
        const aiNode* node;
        const aiNode* parent;
    };
    // Depth first in scene order: children are pushed last first.
    std::vector<Visit> pending;
    auto pushChildren = [&](const aiNode* node) {
        for (unsigned k = node->mNumChildren; k-- > 0;) {
            pending.push_back({node->mChildren[k], node});
        }
    };
    for (unsigned i = root->mNumChildren; i-- > 0;) {
        pushChildren(root->mChildren[i]);
    }
    while (!pending.empty()) {
        const Visit visit = pending.back();
        pending.pop_back();
        const aiNode* node = visit.node;
        const bool collisionChild = visit.parent->mParent == root && visit.parent->mNumMeshes > 0 &&
                                    visit.parent->mChildren[0] == node;
        const std::string name = nodeName(node);
        if (!collisionChild && node->mNumMeshes > 0 && !keywordsIn(name).empty()) {
            build.report(LevelFinding::Severity::Warning, name,
                         "it lies below " + nodeName(visit.parent) +
                             ", and only the scene root's direct children become objects, so "
                             "it is ignored",
                         "unparent it in Blender (Alt+P) so that it sits at the top of the "
                         "scene");
        }
        pushChildren(node);
    }
}

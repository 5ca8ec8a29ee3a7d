#include "game/CollisionLinesNote.h"

#include "render/CollisionLineRenderer.h"
#include "render/Text.h"

TextPlacement collisionLinesNotePlacement(float width, float height) {
    const OverlayLayout layout = overlayLayout(width, height);
    return {25.0f * layout.unit, height - 110.0f * layout.unit, 0.3f * layout.unit};
}

void drawCollisionLinesNote(const CollisionLineFrame& shown, float width, float height) {
    const std::string note = budgetNote(shown);
    if (note.empty()) {
        return;
    }
    const TextPlacement at = collisionLinesNotePlacement(width, height);
    drawText("Collision lines: " + note, at.x, at.y, at.scale, shapeKindColor(ShapeKind::Ring));
}

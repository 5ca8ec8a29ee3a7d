#include "game/SoundNotice.h"

#include "game/Gamepad.h"
#include "render/Text.h"
#include "sound/GameSounds.h"

TextPlacement soundNoticePlacement(float width, float height) {
    const OverlayLayout layout = overlayLayout(width, height);
    return {25.0f * layout.unit, height - 60.0f * layout.unit, 0.4f * layout.unit};
}

void drawSoundNotice(double now, float width, float height) {
    std::optional<std::string> notice = soundNotice(now);
    if (!notice) {
        notice = gameGamepad().note(now);
    }
    if (notice) {
        const TextPlacement at = soundNoticePlacement(width, height);
        drawText(*notice, at.x, at.y, at.scale, HUD_COLOR);
    }
}

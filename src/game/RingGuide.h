#pragma once

#include <glm/vec2.hpp>
#include <glm/vec3.hpp>

#include <string>

class Camera;

// Where the next ring is, as the overlay shows it: a light marker on the
// ring when it is in view, otherwise an arrow at the window's edge pointing
// the way to turn. Directions are the camera's, which rolls with the ship,
// so an arrow pointing up means "pitch up". Window pixels count from the
// bottom left.
struct RingGuide {
    bool inView = false;
    // The marker's centre, or the arrow's tip.
    glm::vec2 at{0.0f};
    // The arrow's direction on the screen (unit length).
    glm::vec2 direction{0.0f, 1.0f};
    // Metres from the camera to the ring's centre.
    float distance = 0.0f;
};

RingGuide ringGuide(const Camera& camera, const glm::vec3& ring, float width, float height);

// Where the distance's text goes for a guide, as a box of the text's
// measured size (`textSize`, window pixels) with its bottom-left corner
// returned: beyond the arrow's base, clear of the arrow however it points,
// or under the marker; always inside the window. `unit` is height / 1080.
glm::vec2 distanceTextCorner(const RingGuide& guide, glm::vec2 textSize, float unit, float width,
                             float height);

// Draws the marker or the arrow with the distance ("120 m") beside it,
// scaled like the rest of the overlay. Leaves program 0, no vertex array,
// and the depth test and face culling as it found them.
void drawRingGuide(const RingGuide& guide, float width, float height);

// The text beside the guide.
std::string ringDistanceText(float metres);

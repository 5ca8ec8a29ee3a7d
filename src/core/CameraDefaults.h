#pragma once

struct Config;

// The three camera settings every camera copies at its creation. They start
// as the built-in defaults, so that nothing reads the INI file before the
// entry point: the level checker and --help write only their own lines. The
// game's start-up takes them from the configuration before any camera
// exists, and the aspect ratio once more when the window had to be made
// smaller for the graphics driver.
struct CameraDefaults {
    float fovDegrees;
    float aspectRatio;
    float farPlane;
};

CameraDefaults cameraDefaultsFrom(const Config& cfg);

extern CameraDefaults cameraDefaults;

#pragma once

// The three camera settings every camera copies at its creation, taken from
// the configuration during program initialisation, before the entry point
// runs. Reading them there is the configuration's first use, so the INI file
// is read (and its lines logged) before the game's first own line. The aspect
// ratio changes once more at start-up when the window had to be made smaller
// for the graphics driver, before any camera exists.
struct CameraDefaults {
    float fovDegrees;
    float aspectRatio;
    float farPlane;
};

extern CameraDefaults cameraDefaults;

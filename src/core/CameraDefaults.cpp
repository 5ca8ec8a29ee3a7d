#include "core/CameraDefaults.h"

#include "core/Config.h"

CameraDefaults cameraDefaults{config().fov,
                              float(config().windowWidth) / float(config().windowHeight),
                              config().drawDistance};

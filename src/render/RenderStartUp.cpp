#include "render/RenderStartUp.h"

#include "render/SkyboxShader.h"
#include "render/Text.h"
#include "render/TextShader.h"

void buildStartUpPrograms() {
    SkyboxShader::instance();
    TextShader::instance();
    initText();
    createTextBuffer();
}

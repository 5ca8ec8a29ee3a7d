#include "render/RenderStartUp.h"

#include "render/LightingShader.h"
#include "render/SkyboxShader.h"
#include "render/Text.h"
#include "render/TextShader.h"

void buildStartUpPrograms() {
    GreyboxShader::instance();
    SkyboxShader::instance();
    PhongShader::instance();
    TextShader::instance();
    initText();
    createTextBuffer();
}

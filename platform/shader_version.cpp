#include "platform/shader_version.h"

const char* ShaderPreamble() {
    return "#version 330 core\n";
}

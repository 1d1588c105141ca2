#pragma once

#include "document/OutputEngine.h"
#include "render/core/Render.h"

// The output engine the program installs: the renderer behind the
// document's interface. environment: what the renderer uses of the machine
// (left empty, the real displays, screen saver and device).
OutputEngineFactory RenderOutputEngineFactory(const CRenderEnvironment& environment = {});

// The page background: the whole panel of the editor with every label, unit, scale and frame
// drawn around the places where the controls sit (PanelLayout.h).
#pragma once

#include "tools/skingen/SkinCanvas.h"

Canvas PageBackground();

// The program's pictures: the SVG resources and their rendering live in the editor library, the
// lowest one with windows, so that the editor's windows share them with the application's.
#pragma once

#include "editor/UnIcons.h"

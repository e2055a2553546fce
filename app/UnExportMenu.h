// The export commands added to the main window's menus: File > Export > 3MF and the Tools menu's
// export unit, which is kept between runs.
#pragma once

class TfrmPalvorin;

// Adds the 3MF export after the STL one and the "Export unit" submenu to the Tools menu, and makes
// the unit saved by an earlier run the current one. Call before the window is translated.
void installExportMenus(TfrmPalvorin& window);

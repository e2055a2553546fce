// The Tools menu's export unit of the main window, which is kept between runs.
#pragma once

class TfrmPalvorin;

// Adds the "Export unit" submenu to the Tools menu and makes the unit saved by an earlier run the
// current one. Call before the window is translated.
void installExportMenus(TfrmPalvorin& window);

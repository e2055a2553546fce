// The making commands of the main window: View > Measurements, Object > Cut list... and
// Object > Frame for a picture....
#pragma once

class TExtrObj;
class TfrmPalvorin;

void installMakingCommands(TfrmPalvorin& window);
// Tells object's path editor (made now when it has none) where its profile lies across the path,
// for the band it draws beside the path.
void showProfileSide(TExtrObj& object);

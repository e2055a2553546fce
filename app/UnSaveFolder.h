// Where a save or export dialog starts: the document's own folder, the last folder the user saved
// into or the user's documents folder, never a folder the user cannot (or should not) write.
#pragma once

#include <QString>

// True when a save may be proposed into folder: it exists, the user may write there, and it is
// not within the program's own data (the installed examples), not even for an account that could
// write there.
bool ProposableSaveFolder(const QString& folder);

// The file a save dialog proposes: the document's name (or "untitled" for a new document) with
// ext, in the first proposable folder of: the document's folder, the last folder the user saved
// into, the documents folder, the home folder.
QString ProposedSaveName(const QString& documentFile, const QString& ext);

// Remembers the folder of a file the user saved or exported, for the next proposal (kept between
// runs).
void NoteSaveFolder(const QString& savedFile);

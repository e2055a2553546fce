// Where the program finds its read-only files (language files, help page, examples) and keeps
// the user's settings.
#pragma once

#include <QSettings>
#include <QString>

// The installed data folder (share/palvorin beside the program's bin folder, whatever the prefix)
// when it exists; otherwise the program's own directory, as in the build tree.
QString programDataDirectory();

// The user's settings of the program (recent files, export unit).
QSettings programSettings();

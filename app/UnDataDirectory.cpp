// The program's data folder (share/palvorin of an installed tree, else the program's directory)
// and its settings.
#include "app/UnDataDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

QString programDataDirectory() {
    const QDir bin(QCoreApplication::applicationDirPath());
    // PALVORIN_DATA_FROM_BIN is the data folder relative to the bin folder of the install tree.
    const QString installed = QDir::cleanPath(bin.filePath(QStringLiteral(PALVORIN_DATA_FROM_BIN)));
    if (QFileInfo(installed).isDir()) return installed;
    return bin.path();
}

QSettings programSettings() {
    return QSettings(QStringLiteral("Palvorin"), QStringLiteral("Palvorin"));
}

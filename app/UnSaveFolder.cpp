// Save dialogs' starting folder and name, and the last folder saved into kept in the settings.
#include "app/UnSaveFolder.h"

#include "app/UnDataDirectory.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

const QString LastFolderKey = QStringLiteral("files/lastSaveFolder");

bool within(const QString& folder, const QString& root) {
    const QString f = QDir::cleanPath(QFileInfo(folder).absoluteFilePath());
    const QString r = QDir::cleanPath(QFileInfo(root).absoluteFilePath());
    return f == r || f.startsWith(r.endsWith(QLatin1Char('/')) ? r : r + QLatin1Char('/'));
}

} // namespace

bool ProposableSaveFolder(const QString& folder) {
    if (folder.isEmpty()) return false;
    const QFileInfo info(folder);
    if (!info.isDir() || !info.isWritable()) return false;
    // The installed program's files (its examples among them) and the system's are no place for
    // the user's documents, even for an account that may write there.
    const QString program = QCoreApplication::applicationDirPath();
    const QString data = programDataDirectory();
    if (data != program && within(folder, data)) return false;
    return !within(folder, QStringLiteral("/usr"));
}

QString ProposedSaveName(const QString& documentFile, const QString& ext) {
    const QString name = documentFile.isEmpty() ? QStringLiteral("untitled")
                                                : QFileInfo(documentFile).completeBaseName();
    const QString candidates[] = {
        documentFile.isEmpty() ? QString() : QFileInfo(documentFile).absolutePath(),
        programSettings().value(LastFolderKey).toString(),
        QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation),
        QDir::homePath(),
    };
    for (const QString& folder : candidates)
        if (ProposableSaveFolder(folder)) return QDir(folder).filePath(name + ext);
    return QDir(QDir::homePath()).filePath(name + ext);
}

void NoteSaveFolder(const QString& savedFile) {
    programSettings().setValue(LastFolderKey, QFileInfo(savedFile).absolutePath());
}

// Crash recovery files: a running program's unsaved document, kept where the next start finds it.
#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <stdexcept>

class QLockFile;

class ERecoveryError : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};

// What a recovery file holds.
struct TRecoveredWork {
    QString DocumentPath; // the document's own file; empty for a document never saved
    QDateTime Time;       // when the file was written (UTC)
    qint64 Pid = 0;       // the program that wrote it
    QByteArray Bytes;     // the document, as its own file would hold it
};

// One program's recovery file in the recovery folder, named after the program's process and held
// under a lock file while the program runs, so another program never takes or deletes it. The
// file is written atomically (a temporary file renamed over it).
class TRecoveryFile {
  public:
    // The folder is created when the first file is written.
    explicit TRecoveryFile(const QString& folder);
    // Removes this program's file and releases every lock it holds.
    ~TRecoveryFile();
    TRecoveryFile(const TRecoveryFile&) = delete;
    TRecoveryFile& operator=(const TRecoveryFile&) = delete;

    // $XDG_STATE_HOME/palvorin, or ~/.local/state/palvorin.
    static QString DefaultFolder();

    const QString& FileName() const { return own; }
    // Writes the document's bytes with its path, the time and this program's process id; throws
    // ERecoveryError naming the reason.
    void Write(const QByteArray& bytes, const QString& documentPath);
    // Removes this program's file (nothing when there is none).
    void Remove();

    // Recovery files of programs no longer running, newest first. Each one returned is locked by
    // this object until it is discarded or released.
    QStringList Orphans();
    // Deletes a file Orphans returned, with its lock.
    void Discard(const QString& fileName);
    // Leaves a file Orphans returned as it is for a later start.
    void Release(const QString& fileName);

    // Reads a recovery file; throws ERecoveryError naming what is wrong with it.
    static TRecoveredWork Read(const QString& fileName);
    // The bytes Write puts in a file (the format's one definition).
    static QByteArray Encode(const TRecoveredWork& work);

  private:
    QString folder;
    QString own;
    std::unique_ptr<QLockFile> ownLock;
    std::map<QString, std::unique_ptr<QLockFile>> taken;
};

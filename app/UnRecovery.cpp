// Crash recovery files: writing, finding the ones left by ended programs, reading them back.
#include "app/UnRecovery.h"

#include "app/Internationalization.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QSet>
#include <QUrl>

namespace {

const char* const Suffix = ".palvorin-recovery";
const QByteArray Magic = "PALVORIN RECOVERY 1\n";
// The longest header: the magic and four lines, the path percent-encoded.
constexpr qsizetype MaxHeader = 64 * 1024;
// A document file is far smaller; anything beyond is not a recovery file of this program.
constexpr qint64 MaxDocument = qint64(1) << 30;

// Lock files held in this process: a lock naming this process's id that is not among them was
// left by an ended program whose id came back.
QSet<QString>& heldLocks() {
    static QSet<QString> held;
    return held;
}

QString lockName(const QString& fileName) {
    return fileName + QStringLiteral(".lock");
}

std::unique_ptr<QLockFile> takeLock(const QString& fileName) {
    const QString name = lockName(fileName);
    if (heldLocks().contains(name)) return nullptr;
    auto lock = std::make_unique<QLockFile>(name);
    lock->setStaleLockTime(0); // a lock goes stale only when its program has ended
    if (!lock->tryLock(0)) {
        qint64 pid = 0;
        QString host, app;
        if (lock->error() != QLockFile::LockFailedError || !lock->getLockInfo(&pid, &host, &app) ||
            pid != QCoreApplication::applicationPid() || !lock->removeStaleLockFile() ||
            !lock->tryLock(0))
            return nullptr;
    }
    heldLocks().insert(name);
    return lock;
}

void releaseLock(std::unique_ptr<QLockFile>& lock, const QString& fileName) {
    if (!lock) return;
    lock->unlock();
    heldLocks().remove(lockName(fileName));
    lock.reset();
}

} // namespace

TRecoveryFile::TRecoveryFile(const QString& folder) : folder(folder) {
    own = QDir(folder).filePath(
        QStringLiteral("unsaved-%1-%2%3")
            .arg(QCoreApplication::applicationPid())
            .arg(QRandomGenerator::system()->generate(), 8, 16, QLatin1Char('0'))
            .arg(QLatin1String(Suffix)));
}

TRecoveryFile::~TRecoveryFile() {
    Remove();
    releaseLock(ownLock, own);
    for (auto& [name, lock] : taken)
        releaseLock(lock, name);
}

QString TRecoveryFile::DefaultFolder() {
    return TInternationalization::StateDirectory();
}

QByteArray TRecoveryFile::Encode(const TRecoveredWork& work) {
    QByteArray data = Magic;
    data += "pid " + QByteArray::number(work.Pid) + '\n';
    data += "time " + work.Time.toUTC().toString(Qt::ISODateWithMs).toLatin1() + '\n';
    data += "document " + QUrl::toPercentEncoding(work.DocumentPath, "/") + '\n';
    data += "size " + QByteArray::number(work.Bytes.size()) + "\n\n";
    return data + work.Bytes;
}

void TRecoveryFile::Write(const QByteArray& bytes, const QString& documentPath) {
    if (!QDir().mkpath(folder))
        throw ERecoveryError(
            QStringLiteral("the folder %1 cannot be made").arg(folder).toStdString());
    if (!ownLock) {
        ownLock = takeLock(own);
        if (!ownLock)
            throw ERecoveryError(
                QStringLiteral("%1 cannot be locked").arg(lockName(own)).toStdString());
    }
    TRecoveredWork work;
    work.DocumentPath = documentPath;
    work.Time = QDateTime::currentDateTimeUtc();
    work.Pid = QCoreApplication::applicationPid();
    work.Bytes = bytes;
    QSaveFile file(own);
    // The work is the user's own: nobody else reads it.
    if (!file.open(QIODevice::WriteOnly) ||
        !file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner) ||
        file.write(Encode(work)) < 0 || !file.commit())
        throw ERecoveryError(QStringLiteral("%1: %2").arg(own, file.errorString()).toStdString());
}

void TRecoveryFile::Remove() {
    QFile::remove(own);
}

QStringList TRecoveryFile::Orphans() {
    const QFileInfoList files = QDir(folder).entryInfoList(
        {QLatin1Char('*') + QLatin1String(Suffix)}, QDir::Files, QDir::Time);
    QStringList found;
    for (const QFileInfo& info : files) {
        const QString name = info.absoluteFilePath();
        if (name == QFileInfo(own).absoluteFilePath() || taken.count(name)) continue;
        std::unique_ptr<QLockFile> lock = takeLock(name);
        if (!lock) continue; // its program runs
        taken[name] = std::move(lock);
        found << name;
    }
    return found;
}

void TRecoveryFile::Discard(const QString& fileName) {
    QFile::remove(fileName);
    Release(fileName);
}

void TRecoveryFile::Release(const QString& fileName) {
    auto it = taken.find(fileName);
    if (it == taken.end()) return;
    releaseLock(it->second, fileName);
    taken.erase(it);
}

TRecoveredWork TRecoveryFile::Read(const QString& fileName) {
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) throw ERecoveryError(file.errorString().toStdString());
    if (file.size() > MaxDocument + MaxHeader)
        throw ERecoveryError("the file is too large to be a recovery file");
    const QByteArray data = file.readAll();
    const auto bad = [](const char* what) { return ERecoveryError(what); };
    if (!data.startsWith(Magic)) throw bad("it is not a recovery file of this program");
    const qsizetype end = data.indexOf("\n\n", Magic.size() - 1);
    if (end < 0 || end > MaxHeader) throw bad("its header is incomplete");
    TRecoveredWork work;
    qint64 size = -1;
    bool havePid = false, haveTime = false, haveDocument = false;
    for (const QByteArray& line : data.mid(Magic.size(), end + 1 - Magic.size()).split('\n')) {
        if (line.isEmpty()) continue;
        const qsizetype space = line.indexOf(' ');
        const QByteArray key = line.left(space),
                         value = space < 0 ? QByteArray() : line.mid(space + 1);
        bool ok = true;
        if (key == "pid") {
            work.Pid = value.toLongLong(&ok);
            havePid = ok;
        } else if (key == "time") {
            work.Time = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODateWithMs);
            haveTime = work.Time.isValid();
        } else if (key == "document") {
            work.DocumentPath = QUrl::fromPercentEncoding(value);
            haveDocument = true;
        } else if (key == "size") {
            size = value.toLongLong(&ok);
            if (!ok) size = -1;
        }
    }
    if (!havePid || !haveTime || !haveDocument || size < 0)
        throw bad("its header lacks the program, the time, the document or the size");
    work.Bytes = data.mid(end + 2);
    if (work.Bytes.size() != size) throw bad("the document in it is incomplete");
    return work;
}

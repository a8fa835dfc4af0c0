#include "SceneImport.h"

#include "CAppTypeQt.h"
#include "Platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#ifndef Q_OS_WIN
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

constexpr qint64 kCopyChunkBytes = 1024 * 1024;

// Opens the package for reading without ever waiting on it. The name was
// checked to be a regular file, but it may have been swapped for a pipe
// since: the open does not block (O_NONBLOCK) and the open descriptor is
// checked again.
bool openRegularFile(const QString &path, QFile &file, CopyOutcome *refusal)
{
#ifdef Q_OS_WIN
    if (!file.open(QIODevice::ReadOnly)) {
        *refusal = CopyOutcome::Failed;
        return false;
    }
    if (file.size() > maxPackageBytes) {
        *refusal = CopyOutcome::TooLarge;
        return false;
    }
    Q_UNUSED(path)
    return true;
#else
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        *refusal = CopyOutcome::Failed;
        return false;
    }
    struct stat status = {};
    if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode)) {
        ::close(fd);
        *refusal = CopyOutcome::NotARegularFile;
        return false;
    }
    if (status.st_size > maxPackageBytes) {
        ::close(fd);
        *refusal = CopyOutcome::TooLarge;
        return false;
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        *refusal = CopyOutcome::Failed;
        return false;
    }
    return true;
#endif
}

// Streams source into a new file at partPath; false on any read or write
// failure, or when the source grows past the limit while it is read.
bool copyBounded(QFile &source, const QString &partPath, CopyOutcome *refusal)
{
    QFile part(partPath);
    // NewOnly: never write into a file someone else put there; the new file
    // is created with the process's usual mode (0666 less the umask).
    if (!part.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        *refusal = CopyOutcome::Failed;
        return false;
    }
    QByteArray chunk;
    qint64 total = 0;
    for (;;) {
        chunk = source.read(kCopyChunkBytes);
        if (chunk.isEmpty()) {
            if (source.error() != QFileDevice::NoError)
                break;
            part.close();
            if (part.error() == QFileDevice::NoError)
                return true;
            break;
        }
        total += chunk.size();
        if (total > maxPackageBytes) {
            *refusal = CopyOutcome::TooLarge;
            part.remove();
            return false;
        }
        if (part.write(chunk) != chunk.size())
            break;
    }
    *refusal = CopyOutcome::Failed;
    part.remove();
    return false;
}

} // namespace

QString importedScenePath(const QString &importDir, const QString &packagePath)
{
    return importDir + QLatin1Char('/') + QFileInfo(packagePath).completeBaseName()
           + QStringLiteral(".kvc");
}

CopyOutcome copyScenePackage(const CAppTypeQt &app, const QString &packagePath)
{
    // Only the name is looked at here: stat, not open.
    const QFileInfo package(packagePath);
    if (!package.exists())
        return CopyOutcome::Missing;
    if (!package.isFile())
        return CopyOutcome::NotARegularFile;
    if (package.size() > maxPackageBytes)
        return CopyOutcome::TooLarge;

    const QString importDir = app.ResolvePath(CPath("[userpath]scenes/Imported")).toString();
    const QString target = importedScenePath(importDir, packagePath);
    if (QFileInfo::exists(target))
        return CopyOutcome::AlreadyThere;
    if (!QDir().mkpath(importDir))
        return CopyOutcome::Failed;

    QFile source(packagePath);
    CopyOutcome refusal = CopyOutcome::Failed;
    if (!openRegularFile(packagePath, source, &refusal))
        return refusal;

    // Not ".kvc": the scene scan must not list a copy still being written.
    const QString partPath = target + QStringLiteral(".part-")
                             + QString::number(QRandomGenerator::global()->generate(), 16);
    if (!copyBounded(source, partPath, &refusal))
        return refusal;
    // rename never replaces an existing file: one that appeared meanwhile
    // stays as it is.
    if (!QFile::rename(partPath, target)) {
        QFile::remove(partPath);
        return QFileInfo::exists(target) ? CopyOutcome::AlreadyThere : CopyOutcome::Failed;
    }
    return CopyOutcome::Copied;
}

QString copyOutcomeMessage(CopyOutcome outcome, const QString &packagePath)
{
    switch (outcome) {
    case CopyOutcome::Missing:
        return QStringLiteral("Unable to find the \"%1\" file to import").arg(packagePath);
    case CopyOutcome::NotARegularFile:
        return QStringLiteral("\"%1\" is not a regular file and cannot be imported").arg(packagePath);
    case CopyOutcome::TooLarge:
        return QStringLiteral("\"%1\" is larger than %2 MB and cannot be imported")
            .arg(packagePath).arg(maxPackageBytes / (1024 * 1024));
    case CopyOutcome::Copied:
    case CopyOutcome::AlreadyThere:
    case CopyOutcome::Failed:
        break;
    }
    return QString();
}

ImportOutcome importScenePackage(const CAppTypeQt &app, const QString &packagePath)
{
    const CopyOutcome outcome = copyScenePackage(app, packagePath);
    const QString message = copyOutcomeMessage(outcome, packagePath);
    if (!message.isEmpty()) {
        Platform::showMessage(QStringLiteral("Kelvra"), message);
        return ImportOutcome::EndRun;
    }
    if (Platform::bringWindowToFront(QStringLiteral("KVClass")))
        return ImportOutcome::EndRun;
    return ImportOutcome::Continue;
}

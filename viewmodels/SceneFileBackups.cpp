#include "SceneFileBackups.h"

#include "KelvraFiles.h"

#include <QAtomicInteger>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

QAtomicInteger<quint64> backupCounter;

bool hardLink(const QString &existing, const QString &link)
{
#ifdef Q_OS_WIN
    return CreateHardLinkW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(link).utf16()),
                           reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(existing).utf16()), nullptr);
#else
    return ::link(QFile::encodeName(existing).constData(), QFile::encodeName(link).constData()) == 0;
#endif
}

// Replaces target by source in one step; false when they are on different
// file systems or the system refused.
bool renameOver(const QString &source, const QString &target)
{
#ifdef Q_OS_WIN
    return MoveFileExW(reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(source).utf16()),
                       reinterpret_cast<LPCWSTR>(QDir::toNativeSeparators(target).utf16()),
                       MOVEFILE_REPLACE_EXISTING);
#else
    return std::rename(QFile::encodeName(source).constData(), QFile::encodeName(target).constData()) == 0;
#endif
}

} // namespace

SceneFileBackups::SceneFileBackups(const QString &directory, Method method)
    : m_directory(QDir::cleanPath(directory))
    , m_method(method)
{
    QDir dir(m_directory);
    if (dir.exists()) {
        // Only the files this class makes: the folder may have been pointed
        // somewhere shared by mistake.
        for (const QFileInfo &entry : dir.entryInfoList({QStringLiteral("*.undo")}, QDir::Files | QDir::Hidden))
            QFile::remove(entry.absoluteFilePath());
    }
}

SceneFileBackups::Kept SceneFileBackups::keep(const QString &path) const
{
    Kept kept;
    const QFileInfo info(path);
    if (!info.isFile() || !QDir().mkpath(m_directory))
        return kept;
    const QString backup = m_directory + QLatin1Char('/') + QString::number(++backupCounter) + QLatin1Char('-')
        + info.completeBaseName().left(64) + QStringLiteral(".undo");
    bool made = m_method == Method::LinkOrCopy && hardLink(info.absoluteFilePath(), backup);
    if (!made && info.size() <= maxCopyBytes)
        made = QFile::copy(info.absoluteFilePath(), backup);
    if (made) {
        kept.original = info.absoluteFilePath();
        kept.backup = backup;
    }
    return kept;
}

void SceneFileBackups::noteEdited(Kept &kept)
{
    kept.afterEdit = FileIdentity::ofPath(kept.original);
}

bool SceneFileBackups::restore(const Kept &kept, QString *problem) const
{
    auto refuse = [&](const QString &why) {
        if (problem)
            *problem = why;
        discard(kept);
        return false;
    };
    if (!kept.isValid() || !QFileInfo(kept.backup).isFile())
        return refuse(QCoreApplication::translate("SceneFileBackups", "its earlier state is no longer kept"));
    if (!FileIdentity::ofPath(kept.original).sameAs(kept.afterEdit))
        return refuse(QCoreApplication::translate("SceneFileBackups", "the file was changed since"));
    if (renameOver(kept.backup, kept.original))
        return true;
    // Another file system: the bytes go through a temporary file beside the
    // scene, so the scene is never half written.
    QFile backup(kept.backup);
    if (!backup.open(QIODevice::ReadOnly) || backup.size() > maxCopyBytes)
        return refuse(QCoreApplication::translate("SceneFileBackups", "its earlier state could not be read"));
    const QByteArray bytes = backup.readAll();
    backup.close();
    if (!KelvraFiles::WriteAtomically(kept.original, bytes))
        return refuse(QCoreApplication::translate("SceneFileBackups", "the file could not be written"));
    discard(kept);
    return true;
}

void SceneFileBackups::discard(const Kept &kept) const
{
    if (kept.isValid())
        QFile::remove(kept.backup);
}

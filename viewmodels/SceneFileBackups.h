#pragma once

#include "FileIdentity.h"

#include <QString>
#include <QtGlobal>

// The bytes of scene files as they were before an edit, kept so that the
// edit can be undone exactly: undo puts back the very file the user had, not
// a file rewritten to look like it.
//
// A kept file is a hard link to the file being replaced where the file system
// allows one (an edit writes a new file and renames it over the old one, so
// the link keeps the old bytes at no cost), otherwise a copy of at most
// maxCopyBytes. The folder is ours alone: it is emptied when the backups are
// made for a run, since a backup outlives neither the run nor its history.
// keep(), restore() and discard() may be called from several threads at once.
class SceneFileBackups
{
public:
    struct Kept
    {
        QString original;       // the scene file
        QString backup;         // its bytes before the edit
        FileIdentity afterEdit; // the file as the edit left it
        bool isValid() const { return !backup.isEmpty(); }
    };

    enum class Method { LinkOrCopy, CopyOnly };

    // Scene files are a few megabytes; a copy larger than this is not kept,
    // and the edit cannot be undone.
    static constexpr qint64 maxCopyBytes = qint64(64) << 20;

    explicit SceneFileBackups(const QString &directory, Method method = Method::LinkOrCopy);

    QString directory() const { return m_directory; }

    // Before an edit of path: keeps its bytes. Invalid when path is not a
    // regular file or nothing could be kept.
    Kept keep(const QString &path) const;
    // After the edit succeeded: records the file it wrote, which undo checks.
    static void noteEdited(Kept &kept);
    // Puts the kept bytes back under the original name, atomically, if the
    // file is still the one the edit wrote. Otherwise (changed or removed
    // since, or the backup is gone) leaves everything alone and says why.
    // The backup is used up either way.
    bool restore(const Kept &kept, QString *problem) const;
    // The edit is not to be undone any more: the backup goes.
    void discard(const Kept &kept) const;

private:
    QString m_directory;
    Method m_method;
};

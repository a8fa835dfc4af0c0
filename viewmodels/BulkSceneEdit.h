#pragma once

#include "SceneChange.h"

#include <QList>
#include <QObject>
#include <QStringList>
#include <QThreadPool>

#include <atomic>
#include <memory>

class CSceneViewModel;

// One change made to many scene files without holding up the interface.
// Each file is loaded, changed and saved by a task of its own on a small
// thread pool; nothing else is touched off the GUI thread. The scenes in
// memory are left alone: when finished() comes, changedScenes() lists the
// ones whose file now holds the change, for the owner to show it.
//
// cancel() stops before the next file: files already written stay written
// and are counted. Lives on the GUI thread and does not own the scenes,
// which must outlive it; the destructor waits for the tasks still running.
class BulkSceneEdit : public QObject
{
    Q_OBJECT

public:
    // With backups, each file's bytes are kept before it is written (see
    // keptFiles); backups must outlive this object.
    BulkSceneEdit(const SceneChange &change, const QList<CSceneViewModel *> &scenes, QObject *parent = nullptr,
                  const SceneFileBackups *backups = nullptr);
    ~BulkSceneEdit() override;

    // Queues one task per scene. With no scenes, finished() comes at once.
    void start();
    void cancel();

    const SceneChange &change() const { return m_change; }
    int total() const { return m_scenes.size(); }
    // Files tried so far (written, failed or skipped after a cancel).
    int done() const { return m_done; }
    bool isRunning() const { return m_started && m_done < m_scenes.size(); }
    bool wasCancelled() const { return *m_cancelled; }

    // In the order their files were written.
    const QList<CSceneViewModel *> &changedScenes() const { return m_changed; }
    // One entry per scene whose file was not changed: its name and why.
    const QStringList &failures() const { return m_failures; }
    // Of the changed scenes, the bytes their file had before, in the same
    // order (invalid where none could be kept). Whoever takes them over
    // discards them; the rest are left in the backup folder, emptied at the
    // next start.
    const QList<SceneFileBackups::Kept> &keptFiles() const { return m_kept; }
    int skipped() const { return m_skipped; }

signals:
    void progressChanged();
    void finished();

private:
    void fileDone(int index, const QString &problem, bool skipped, const SceneFileBackups::Kept &kept);

    const SceneChange m_change;
    const QList<CSceneViewModel *> m_scenes;
    // Shared with the tasks, which may start after cancel() was called.
    const std::shared_ptr<std::atomic<bool>> m_cancelled = std::make_shared<std::atomic<bool>>(false);
    QThreadPool m_pool;
    const SceneFileBackups *const m_backups;
    QList<CSceneViewModel *> m_changed;
    QList<SceneFileBackups::Kept> m_kept;
    QStringList m_failures;
    int m_done = 0;
    int m_skipped = 0;
    bool m_started = false;
};

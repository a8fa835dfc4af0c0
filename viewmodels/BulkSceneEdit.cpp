#include "BulkSceneEdit.h"

#include "CSceneViewModel.h"

#include <QMetaObject>

namespace {

// Scene files are small archives: reading and writing them waits on the disk
// more than on the processor, and a few threads keep it busy without taking
// the machine from the interface.
constexpr int maxWorkerThreads = 2;

} // namespace

BulkSceneEdit::BulkSceneEdit(const SceneChange &change, const QList<CSceneViewModel *> &scenes, QObject *parent,
                             const SceneFileBackups *backups)
    : QObject(parent)
    , m_change(change)
    , m_scenes(scenes)
    , m_backups(backups)
{
    m_pool.setMaxThreadCount(maxWorkerThreads);
}

BulkSceneEdit::~BulkSceneEdit()
{
    *m_cancelled = true;
    m_pool.waitForDone();
}

void BulkSceneEdit::start()
{
    if (m_started)
        return;
    m_started = true;
    if (m_scenes.isEmpty()) {
        emit finished();
        return;
    }
    for (int index = 0; index < m_scenes.size(); ++index) {
        // The task gets copies of what it needs, never the view model.
        const QString filepath = m_scenes.at(index)->filepath();
        const SceneChange change = m_change;
        const std::shared_ptr<std::atomic<bool>> cancelled = m_cancelled;
        const SceneFileBackups *backups = m_backups;
        m_pool.start([this, index, filepath, change, cancelled, backups] {
            const bool skip = *cancelled;
            SceneFileBackups::Kept kept;
            const QString problem = skip ? QString() : change.writeKeeping(filepath, backups, &kept);
            // Delivered on the GUI thread; dropped if this object is gone.
            QMetaObject::invokeMethod(
                this, [this, index, problem, skip, kept] { fileDone(index, problem, skip, kept); },
                Qt::QueuedConnection);
        });
    }
}

void BulkSceneEdit::cancel()
{
    *m_cancelled = true;
}

void BulkSceneEdit::fileDone(int index, const QString &problem, bool skipped, const SceneFileBackups::Kept &kept)
{
    CSceneViewModel *scene = m_scenes.at(index);
    if (skipped) {
        ++m_skipped;
    } else if (problem.isEmpty()) {
        m_changed.append(scene);
        m_kept.append(kept);
    } else {
        m_failures.append(tr("\u201c%1\u201d (%2)").arg(scene->displayName(), problem));
    }
    ++m_done;
    emit progressChanged();
    if (m_done == m_scenes.size())
        emit finished();
}

// The configuration view model's history: scene edits, a deleted playlist
// and a change of the ticks, recorded as they are made and taken back newest
// first.
#include "CConfigViewModel.h"

#include "CCfg.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

QString quoted(const QString &text)
{
    return QStringLiteral("\u201c") + text + QStringLiteral("\u201d");
}

// A file the desktop's trash holds under "files/" is described by
// "info/<name>.trashinfo"; once the file is back, the description would
// only show the user an entry that is not there.
void forgetTrashEntry(const QString &trashPath)
{
    const QFileInfo file(trashPath);
    if (file.dir().dirName() != QLatin1String("files"))
        return;
    QDir trash = file.dir();
    if (trash.cdUp())
        QFile::remove(trash.filePath(QStringLiteral("info/") + file.fileName() + QStringLiteral(".trashinfo")));
}

} // namespace

bool CConfigViewModel::undo()
{
    if (!m_history->canUndo() || refuseDuringBulkEdit())
        return false;
    return m_history->undo();
}

QString CConfigViewModel::editStepText(const SceneChange &change, const QString &target)
{
    switch (change.kind()) {
    case SceneChange::AddTag:
        return tr("adding the tag \u201c%1\u201d to %2").arg(change.tag(), target);
    case SceneChange::RemoveTag:
        return tr("removing the tag \u201c%1\u201d from %2").arg(change.tag(), target);
    case SceneChange::SetRelicensing:
        return change.relicensing() ? tr("allowing relicensing of %1").arg(target)
                                    : tr("forbidding relicensing of %1").arg(target);
    }
    return QString();
}

QString CConfigViewModel::editDoneText(const SceneChange &change, const QString &target)
{
    switch (change.kind()) {
    case SceneChange::AddTag:
        return tr("Tag \u201c%1\u201d added to %2.").arg(change.tag(), target);
    case SceneChange::RemoveTag:
        return tr("Tag \u201c%1\u201d removed from %2.").arg(change.tag(), target);
    case SceneChange::SetRelicensing:
        return change.relicensing() ? tr("Relicensing allowed for %1.").arg(target)
                                    : tr("Relicensing forbidden for %1.").arg(target);
    }
    return QString();
}

void CConfigViewModel::recordStep(EditHistory::Step step, const QString &message, bool notice)
{
    m_recordingStep = true;
    m_undoStepText = step.text;
    m_history->push(std::move(step));
    m_recordingStep = false;
    m_undoMessage = message;
    emit undoMessageChanged();
    if (notice)
        emit noticeRaised(message);
    else
        emit messageRaised(message);
}

void CConfigViewModel::dropStaleSteps()
{
    for (CSceneViewModel *scene : sceneObjects())
        m_listedScenes.insert(scene);
    m_history->dropStale();
    m_listedScenes.clear();
}

// ---- Scene edits -----------------------------------------------------------

QString CConfigViewModel::editScene(CSceneViewModel *scene, const SceneChange &change)
{
    SceneFileBackups::Kept kept;
    const QString problem = scene->applyChange(change, m_backups.get(), &kept);
    if (problem.isEmpty()) {
        const QString target = quoted(scene->displayName());
        recordSceneEdits(editStepText(change, target), editDoneText(change, target), true, {{scene, kept}});
    }
    return problem;
}

bool CConfigViewModel::recordSceneEdits(const QString &text, const QString &message, bool notice,
                                        const QList<KeptScene> &edits)
{
    bool anyKept = false;
    for (const KeptScene &edit : edits)
        anyKept = anyKept || edit.second.isValid();
    if (!anyKept || !m_backups)
        return false;
    EditHistory::Step step;
    step.text = text;
    step.undo = [this, edits] { return undoSceneEdits(edits); };
    step.release = [this, edits] {
        for (const KeptScene &edit : edits)
            m_backups->discard(edit.second);
    };
    // Worth keeping while one of its scenes is listed.
    step.applies = [this, edits] {
        for (const KeptScene &edit : edits) {
            if (edit.first && m_listedScenes.contains(edit.first.data()))
                return true;
        }
        return false;
    };
    recordStep(std::move(step), message, notice);
    return true;
}

// Each file gets its earlier bytes back unless it was changed since; the
// scenes then show what their files hold.
QString CConfigViewModel::undoSceneEdits(const QList<KeptScene> &edits)
{
    const QList<CSceneViewModel *> scenes = sceneObjects();
    const QSet<CSceneViewModel *> listed(scenes.cbegin(), scenes.cend());
    QStringList refused;
    const SceneChangeBatch batch(*this);
    for (const KeptScene &edit : edits) {
        CSceneViewModel *scene = edit.first.data();
        if (!scene || !listed.contains(scene)) {
            m_backups->discard(edit.second);
            refused.append(tr("\u201c%1\u201d (no longer listed)").arg(QFileInfo(edit.second.original).fileName()));
            continue;
        }
        QString problem;
        if (!m_backups->restore(edit.second, &problem)) {
            refused.append(tr("\u201c%1\u201d (%2)").arg(scene->displayName(), problem));
            continue;
        }
        scene->reloadMetadata();
    }
    if (refused.isEmpty())
        return QString();
    return failureSummary(tr("left unchanged"), refused);
}

// ---- A deleted playlist ----------------------------------------------------

void CConfigViewModel::recordPlaylistDeletion(const DeletedPlaylist &deleted, const QString &message)
{
    EditHistory::Step step;
    step.text = tr("deleting the playlist \u201c%1\u201d").arg(deleted.name);
    step.undo = [this, deleted] { return restorePlaylist(deleted); };
    recordStep(std::move(step), message, true);
}

QString CConfigViewModel::restorePlaylist(const DeletedPlaylist &deleted)
{
    if (deleted.trashPath.isEmpty() && !deleted.model)
        return tr("its scenes are no longer kept");
    // A playlist made since under the same name keeps its file: the deleted
    // one comes back under the first free name.
    QString name = deleted.name;
    QString path = m_context.playlists.filePathForName(name);
    for (int n = 1; !path.isEmpty() && QFileInfo::exists(path); ++n) {
        name = deleted.name + QLatin1Char(' ') + QString::number(n);
        path = m_context.playlists.filePathForName(name);
    }
    if (path.isEmpty())
        return tr("no free file name is left for it");
    QDir().mkpath(m_context.playlists.path());
    if (!deleted.trashPath.isEmpty()) {
        if (!QFileInfo(deleted.trashPath).isFile())
            return tr("its file is no longer in the trash");
        // rename never replaces an existing file.
        if (!QFile::rename(deleted.trashPath, path))
            return tr("its file could not be moved back from the trash");
        forgetTrashEntry(deleted.trashPath);
    } else if (!deleted.model->playlist().Save(path)) {
        return tr("the file could not be written");
    }

    auto *playlist = new CPlaylistViewModel(path, name, m_context.playlists);
    watchPlaylist(playlist);
    m_playlists.insert(qBound(0, deleted.row, m_playlists.size()), playlist);
    emit playlistsChanged();
    emit runningPlaylistChanged();
    if (deleted.wasToRun)
        setPlaylistToRun(path);
    if (deleted.wasActive)
        setActivePlaylist(playlist);
    if (name != deleted.name) {
        emit noticeRaised(tr("Playlist \u201c%1\u201d is back as \u201c%2\u201d: a playlist of its name was made since.")
                              .arg(deleted.name, name));
    }
    return QString();
}

// ---- Ticks of the visible scenes -------------------------------------------

void CConfigViewModel::recordTicks(BulkSelection operation, int changed,
                                   const QList<QPointer<CSceneViewModel>> &before)
{
    const QPointer<CPlaylistViewModel> playlist = m_activePlaylist;
    const QString name = m_activePlaylist->name();
    const QString scenes = sceneCount(changed);
    EditHistory::Step step;
    QString message;
    switch (operation) {
    case BulkSelection::Select:
        step.text = tr("ticking %1 in \u201c%2\u201d").arg(scenes, name);
        message = tr("%1 ticked in \u201c%2\u201d.").arg(scenes, name);
        break;
    case BulkSelection::Deselect:
        step.text = tr("unticking %1 in \u201c%2\u201d").arg(scenes, name);
        message = tr("%1 unticked in \u201c%2\u201d.").arg(scenes, name);
        break;
    case BulkSelection::Toggle:
        step.text = tr("toggling the ticks of %1 in \u201c%2\u201d").arg(scenes, name);
        message = tr("Ticks of %1 toggled in \u201c%2\u201d.").arg(scenes, name);
        break;
    }
    step.undo = [this, playlist, name, before] { return restoreTicks(playlist, name, before); };
    step.applies = [this, playlist] { return playlist && m_playlists.contains(playlist.data()); };
    recordStep(std::move(step), message, true);
}

QString CConfigViewModel::restoreTicks(const QPointer<CPlaylistViewModel> &playlist, const QString &name,
                                       const QList<QPointer<CSceneViewModel>> &before)
{
    if (!playlist || playlist != m_activePlaylist)
        return tr("the playlist \u201c%1\u201d is no longer the active one").arg(name);
    QSet<CSceneViewModel *> ticked;
    for (const QPointer<CSceneViewModel> &scene : before) {
        if (scene)
            ticked.insert(scene.data());
    }
    const SceneChangeBatch batch(*this);
    for (CSceneViewModel *scene : sceneObjects())
        scene->setSelected(ticked.contains(scene));
    return QString();
}

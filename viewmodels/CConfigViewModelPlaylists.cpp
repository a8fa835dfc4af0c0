// The configuration view model's playlists: which one is active, storing
// the selection into it, and creating, deleting and viewing playlist files.
#include "CConfigViewModel.h"

#include "CCfg.h"
#include "PropertySupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

void CConfigViewModel::setPlaylists(const QList<CPlaylistViewModel *> &list)
{
    m_playlists = list;
    for (CPlaylistViewModel *playlist : list) {
        if (!playlist)
            continue;
        watchPlaylist(playlist);
        const QString setAside = playlist->playlist().SetAsidePath();
        if (!setAside.isEmpty()) {
            raiseMessageLater(tr("Playlist \u201c%1\u201d could not be read and was kept aside as %2; "
                                 "it starts empty.")
                                  .arg(playlist->name(), QDir::toNativeSeparators(setAside)));
        }
    }
    for (CPlaylistViewModel *playlist : list) {
        if (playlist && playlist->filepath() == m_context.config->playlistToRun)
            setActivePlaylist(playlist);
    }
    emit runningPlaylistChanged();
}

void CConfigViewModel::watchPlaylist(CPlaylistViewModel *playlist)
{
    connect(playlist, &CPlaylistViewModel::problemRaised, this, &CConfigViewModel::messageRaised,
            Qt::UniqueConnection);
    connect(playlist, &CPlaylistViewModel::fileMoved, this, &CConfigViewModel::playlistFileMoved,
            Qt::UniqueConnection);
}

// The player runs the playlist by its file, so a rename of that file carries
// the choice along (saved with the configuration, as every change of it is).
void CConfigViewModel::playlistFileMoved(const QString &fromPath, const QString &toPath)
{
    if (m_context.config->playlistToRun == fromPath)
        setPlaylistToRun(toPath);
}

void CConfigViewModel::raiseMessageLater(const QString &text)
{
    QMetaObject::invokeMethod(this, [this, text] { emit messageRaised(text); }, Qt::QueuedConnection);
}

void CConfigViewModel::scheduleStore()
{
    if (m_activePlaylist && !m_loadingSelection) {
        m_storeTimer.start();
        emit activePlaylistEdited();
    }
}

void CConfigViewModel::storeSelection()
{
    m_storeTimer.stop();
    // Without the scene list, or before the playlist's entries were matched
    // to it, the selection does not show the playlist and writing it would
    // drop the playlist's scenes.
    if (!m_activePlaylist || !m_allScenes || !m_activePlaylist->isResolved())
        return;
    QList<CSceneViewModel *> selected;
    for (CSceneViewModel *scene : sceneObjects()) {
        if (scene->selected())
            selected.append(scene);
    }
    m_activePlaylist->setSceneList(selected);
    // Told once: until a write succeeds, every store tries again quietly,
    // also for playlists that were left while their file lagged.
    const bool failedBefore = m_activePlaylist->hasUnwrittenChanges();
    if (!m_activePlaylist->save(false) && !failedBefore) {
        emit messageRaised(tr("Playlist \u201c%1\u201d could not be saved: the file could not be written. "
                              "Its scenes are kept here and saved again with the next change.")
                               .arg(m_activePlaylist->name()));
    }
    for (CPlaylistViewModel *playlist : qAsConst(m_playlists)) {
        if (playlist && playlist != m_activePlaylist && playlist->hasUnwrittenChanges())
            playlist->save(false);
    }
}

void CConfigViewModel::setActivePlaylist(CPlaylistViewModel *playlist)
{
    if (playlist == m_activePlaylist)
        return;
    storeSelection();
    m_activePlaylist = playlist;
    if (playlist) {
        playlist->resolveScenes(m_allScenes);
        const QList<CSceneViewModel *> &members = playlist->sceneList();
        const QSet<CSceneViewModel *> memberSet(members.cbegin(), members.cend());
        const SceneChangeBatch batch(*this);
        m_loadingSelection = true;
        for (CSceneViewModel *scene : sceneObjects())
            scene->setSelected(memberSet.contains(scene));
        m_loadingSelection = false;
    }
    updateScenesSelected();
    emit activePlaylistChanged();
}

void CConfigViewModel::setPlaylistToRun(QString playlist)
{
    if (playlist == m_context.config->playlistToRun)
        return;
    m_context.config->playlistToRun = playlist;
    emit playlistToRunChanged();
    emit runningPlaylistChanged();
}

void CConfigViewModel::addPlaylist(QString name)
{
    const QString problem = CPlaylistViewModel::nameProblem(name);
    if (!problem.isEmpty()) {
        emit messageRaised(tr("Playlist \u201c%1\u201d was not created: %2").arg(name, problem));
        return;
    }

    QString candidate = name;
    QString path = m_context.playlists.filePathForName(candidate);
    for (int n = 1; !path.isEmpty() && QFileInfo::exists(path); ++n) {
        candidate = name + QLatin1Char(' ') + QString::number(n);
        path = m_context.playlists.filePathForName(candidate);
    }
    // Without a playlist directory, or when every free candidate would be
    // too long to be a file name, nothing is created.
    if (path.isEmpty()) {
        emit messageRaised(tr("Playlist \u201c%1\u201d was not created: no free file name is left for it.").arg(name));
        return;
    }

    // Nothing changes unless the file exists: a playlist without one would
    // become the player's playlist and lose the selection stored into it.
    QDir().mkpath(m_context.playlists.path());
    auto *playlist = new CPlaylistViewModel(path, candidate, m_context.playlists);
    if (!playlist->save(true)) {
        delete playlist;
        emit messageRaised(
            tr("Playlist \u201c%1\u201d was not created: the file could not be written.").arg(candidate));
        return;
    }
    watchPlaylist(playlist);

    m_playlists.append(playlist);
    emit playlistsChanged();
    emit runningPlaylistChanged();

    setPlaylistToRun(playlist->filepath());
    setActivePlaylist(playlist);
    emit noticeRaised(tr("Playlist \u201c%1\u201d was created and the player now runs it; "
                         "tick its scenes in the grid.")
                          .arg(candidate));
}

namespace {

// Qt 5.15 reports success when it finds no trash directory it can use and
// moves the file to "files/" below the working directory instead: such a
// move is taken back, as no trash at all.
bool movedToTrash(const QString &path, QString *trashPath)
{
    if (!QFile::moveToTrash(path, trashPath))
        return false;
    if (QDir::isAbsolutePath(*trashPath))
        return true;
    const QFileInfo misplaced(*trashPath);
    QFile::remove(misplaced.dir().filePath(QStringLiteral("../info/") + misplaced.fileName() + QStringLiteral(".trashinfo")));
    // Put back to be removed where it was; failing that, removed where it went.
    if (!QFile::rename(misplaced.absoluteFilePath(), path))
        QFile::remove(misplaced.absoluteFilePath());
    // The folders it made for that go too, when nothing else is in them.
    QDir folder = misplaced.absoluteDir();
    folder.rmdir(QStringLiteral("../info"));
    folder.rmdir(folder.absolutePath());
    trashPath->clear();
    return false;
}

} // namespace

void CConfigViewModel::deletePlaylist(QString name)
{
    const QString path = m_context.playlists.filePathForName(name);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;

    DeletedPlaylist deleted;
    deleted.name = name;
    deleted.wasActive = m_activePlaylist && CPlaylistViewModel::isSamePath(m_activePlaylist->filepath(), path);
    deleted.wasToRun = CPlaylistViewModel::isSamePath(m_context.config->playlistToRun, path);
    // The desktop's trash keeps the file for undo and for the user; without
    // one it is removed, and undo writes it again from the entries in memory.
    // A file that stays would bring the playlist back at the next start.
    if (!movedToTrash(path, &deleted.trashPath)) {
        deleted.trashPath.clear();
        if (!QFile::remove(path) && QFileInfo::exists(path)) {
            emit messageRaised(
                tr("Playlist \u201c%1\u201d was not deleted: the file could not be removed.").arg(name));
            return;
        }
    }

    for (int i = 0; i < m_playlists.size(); ++i) {
        if (m_playlists.at(i) && m_playlists.at(i)->name() == name) {
            deleted.model = m_playlists.takeAt(i);
            deleted.row = i;
            emit playlistsChanged();
            break;
        }
    }

    if (deleted.wasActive) {
        // The deleted playlist stops being active without the selection
        // being stored into it, so its file stays deleted.
        m_storeTimer.stop();
        m_activePlaylist = nullptr;
        if (!m_playlists.isEmpty() && m_playlists.first()) {
            setActivePlaylist(m_playlists.first());
        } else {
            // No playlist is left to show: its ticks go with it, so the grid
            // never shows scenes as chosen for a playlist that is gone.
            const SceneChangeBatch batch(*this);
            m_loadingSelection = true;
            for (CSceneViewModel *scene : sceneObjects())
                scene->setSelected(false);
            m_loadingSelection = false;
            emit activePlaylistChanged();
        }
    }

    // The player must not be left with a file that is gone: it runs the
    // playlist the user now sees as active, or none. A deleted playlist the
    // player did not run changes nothing it runs.
    QString message = tr("Playlist \u201c%1\u201d was deleted.").arg(name);
    if (deleted.wasToRun && m_activePlaylist) {
        setPlaylistToRun(m_activePlaylist->filepath());
        message = tr("Playlist \u201c%1\u201d was deleted; the player now runs \u201c%2\u201d.")
                      .arg(name, m_activePlaylist->name());
    } else if (deleted.wasToRun) {
        setPlaylistToRun(QString());
        message = tr("Playlist \u201c%1\u201d was deleted; the player has no playlist to run until "
                     "you create one.")
                      .arg(name);
    }
    // Ticks made in it cannot be taken back any more.
    dropStaleSteps();
    recordPlaylistDeletion(deleted, message);
}

void CConfigViewModel::viewPlaylist(QString name, QString mode)
{
    const QString path = m_context.playlists.filePathForName(name);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;

    // The player reads the file: the active playlist's file first takes the
    // selection the grid shows.
    if (m_activePlaylist && CPlaylistViewModel::isSamePath(m_activePlaylist->filepath(), path))
        storeSelection();
    m_context.saveConfiguration();
    // The player resolves the placeholder itself.
    m_context.player.start({QLatin1Char('-') + mode, QLatin1String(PlayerLauncher::sceneOption),
                            PlaylistDirectory::placeholderPathForName(name)});
}

QString CConfigViewModel::playlistNameProblem(QString name) const
{
    return CPlaylistViewModel::nameProblem(name);
}

CPlaylistViewModel *CConfigViewModel::runningPlaylist() const
{
    const QString path = m_context.config->playlistToRun;
    if (path.isEmpty())
        return nullptr;
    for (CPlaylistViewModel *playlist : m_playlists) {
        if (playlist && CPlaylistViewModel::isSamePath(playlist->filepath(), path))
            return playlist;
    }
    return nullptr;
}

QString CConfigViewModel::runningPlaylistName() const
{
    if (const CPlaylistViewModel *playlist = runningPlaylist())
        return playlist->name();
    const QString path = m_context.config->playlistToRun;
    if (path.isEmpty())
        return QString();
    QString name = QFileInfo(path).fileName();
    if (name.endsWith(QLatin1String(PlaylistDirectory::fileSuffix), Qt::CaseInsensitive))
        name.chop(int(qstrlen(PlaylistDirectory::fileSuffix)));
    return name;
}

bool CConfigViewModel::runningPlaylistBundled() const
{
    const QString applicationDirectory = m_context.player.workingDirectory();
    const QString path = m_context.config->playlistToRun;
    if (applicationDirectory.isEmpty() || path.isEmpty() || runningPlaylist())
        return false;
    return CPlaylistViewModel::isSamePath(QFileInfo(path).absolutePath(),
                                          applicationDirectory + QLatin1String("/playlists"));
}

QString CConfigViewModel::windowStateFile() const
{
    if (m_context.configPath.isEmpty())
        return QString();
    return QFileInfo(m_context.configPath).absolutePath() + QLatin1String("/window.ini");
}

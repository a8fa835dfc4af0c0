// The configuration view model's catalogue as it follows the disk: scenes
// that arrive, are read again or leave while the program runs.
#include "CConfigViewModel.h"

#include <QDir>
#include <QHash>

namespace {

// Paths as the file system compares them, for looking scenes up.
QString pathKey(const QString &path)
{
    const QString clean = QDir::cleanPath(path);
#ifdef Q_OS_WIN
    return clean.toLower();
#else
    return clean;
#endif
}

bool sameDate(const SceneDate &a, const SceneDate &b)
{
    return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour && a.minute == b.minute
        && a.second == b.second;
}

// Whether two reads of a scene file show the same: then the newer read adds
// nothing, as after this program's own edit or import of the file.
bool readsTheSame(const CSceneViewModel &a, const CSceneViewModel &b)
{
    const CScene &x = a.scene();
    const CScene &y = b.scene();
    return a.official() == b.official() && x.GetId() == y.GetId() && x.GetName() == y.GetName()
        && x.GetAuthor() == y.GetAuthor() && x.GetDesc() == y.GetDesc() && x.GetLicenseType() == y.GetLicenseType()
        && x.typeFlags == y.typeFlags && x.relicensingFlag == y.relicensingFlag && x.tagList == y.tagList
        && sameDate(x.sceneDate, y.sceneDate) && x.TagsTruncated() == y.TagsTruncated();
}

} // namespace

CSceneViewModel *CConfigViewModel::sceneForFile(const QString &path) const
{
    const QString key = pathKey(path);
    for (CSceneViewModel *scene : sceneObjects()) {
        if (pathKey(scene->filepath()) == key)
            return scene;
    }
    return nullptr;
}

// The first row whose scene comes after scene: a scene of equal rank goes
// after the ones listed. The list is in order, so a binary search finds it.
int CConfigViewModel::sceneRowFor(const CSceneViewModel &scene) const
{
    int low = 0;
    int high = m_allScenes->count();
    if (!m_sceneOrder)
        return high;
    while (low < high) {
        const int middle = low + (high - low) / 2;
        const auto *listed = qobject_cast<const CSceneViewModel *>(m_allScenes->at(middle));
        if (listed && m_sceneOrder(scene, *listed))
            high = middle;
        else
            low = middle + 1;
    }
    return low;
}

void CConfigViewModel::updateCatalogue(const QList<CSceneViewModel *> &arrived, const QStringList &removedPaths)
{
    if (!m_allScenes) {
        qDeleteAll(arrived);
        return;
    }
    QHash<QString, CSceneViewModel *> listed;
    for (CSceneViewModel *scene : sceneObjects())
        listed.insert(pathKey(scene->filepath()), scene);

    const SceneChangeBatch batch(*this);
    QList<CSceneViewModel *> retired;
    bool listChanged = false;

    for (const QString &path : removedPaths) {
        CSceneViewModel *scene = listed.take(pathKey(path));
        if (!scene)
            continue;
        m_allScenes->remove(m_allScenes->objects().indexOf(scene));
        // The active playlist's scene list lags the ticks until the next
        // store: its entry is kept only while the scene was still ticked.
        for (CPlaylistViewModel *playlist : qAsConst(m_playlists)) {
            if (playlist)
                playlist->forgetScene(scene, playlist != m_activePlaylist || scene->selected());
        }
        retired.append(scene);
    }

    for (CSceneViewModel *fresh : arrived) {
        if (!fresh)
            continue;
        const QString key = pathKey(fresh->filepath());
        CSceneViewModel *old = listed.value(key);
        if (old && readsTheSame(*old, *fresh)) {
            delete fresh;
            continue;
        }
        listed.insert(key, fresh);
        listChanged = true;
        if (!old) {
            // Watched by setAllScenes' hook on inserted rows.
            m_allScenes->insert(sceneRowFor(*fresh), fresh);
            for (CPlaylistViewModel *playlist : qAsConst(m_playlists)) {
                if (playlist && playlist->adoptScene(fresh) && playlist == m_activePlaylist) {
                    m_loadingSelection = true;
                    fresh->setSelected(true);
                    m_loadingSelection = false;
                }
            }
            continue;
        }
        // Set before the scene is watched: the tick is carried, not made.
        fresh->setSelected(old->selected());
        watchScene(fresh);
        const int row = m_allScenes->objects().indexOf(old);
        const auto *before = qobject_cast<const CSceneViewModel *>(m_allScenes->at(row - 1));
        const auto *after = qobject_cast<const CSceneViewModel *>(m_allScenes->at(row + 1));
        const bool staysInPlace = !m_sceneOrder
            || ((!before || !m_sceneOrder(*fresh, *before)) && (!after || !m_sceneOrder(*after, *fresh)));
        if (staysInPlace) {
            m_allScenes->replace(row, fresh);
        } else {
            m_allScenes->remove(row);
            m_allScenes->insert(sceneRowFor(*fresh), fresh);
        }
        for (CPlaylistViewModel *playlist : qAsConst(m_playlists)) {
            if (playlist)
                playlist->replaceScene(old, fresh);
        }
        if (m_activeScene == old)
            setActiveScene(fresh);
        retired.append(old);
    }

    // QML may still hold a retired scene (a delegate on its way out): it is
    // deleted once control is back in the event loop, and whatever still
    // refers to it then sees null rather than a dangling object.
    for (CSceneViewModel *scene : qAsConst(retired)) {
        if (m_activeScene == scene)
            setActiveScene(nullptr);
        scene->deleteLater();
    }
    if (listChanged || !retired.isEmpty()) {
        refreshTagList();
        updateScenesSelected();
    }
    if (!retired.isEmpty())
        dropStaleSteps();
}

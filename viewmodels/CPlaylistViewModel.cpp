#include "CPlaylistViewModel.h"

#include "PropertySupport.h"
#include "QObjectListModel.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

// The entry lists in the order in which they are matched and synchronised.
const SceneKinds::Type typeOrder[] = {SceneKinds::Standalone, SceneKinds::Background, SceneKinds::Foreground,
                                      SceneKinds::Postprocessing, SceneKinds::Transition};

// One file name, in bytes as encoded on disk (UTF-16 characters on Windows).
constexpr int maxFileNameLength = 255;

#ifdef Q_OS_WIN
bool isReservedDeviceName(const QString &name)
{
    // Windows treats these as devices whatever extension follows them.
    QString base = name.section(QLatin1Char('.'), 0, 0);
    while (base.endsWith(QLatin1Char(' ')))
        base.chop(1);
    base = base.toUpper();
    static const char *const devices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (const char *device : devices) {
        if (base == QLatin1String(device))
            return true;
    }
    if (base.size() == 4 && (base.startsWith(QLatin1String("COM")) || base.startsWith(QLatin1String("LPT")))) {
        const QChar digit = base.at(3);
        return digit >= QLatin1Char('1') && digit <= QLatin1Char('9');
    }
    return false;
}
#endif

// Whether a playlist entry stands for scene: by identifier when both have
// one, else by path. An entry without identifier takes the scene's when its
// path matches.
bool matchEntry(PlaylistEntry *entry, const CSceneViewModel &scene)
{
    const QString sceneId = scene.id();
    if (!entry->sceneId.isEmpty() && !sceneId.isEmpty())
        return entry->sceneId == sceneId;
    if (!CPlaylistViewModel::isSamePath(scene.filepath(), entry->scenePath))
        return false;
    if (entry->sceneId.isEmpty())
        entry->sceneId = sceneId;
    return true;
}

} // namespace

CPlaylistViewModel::CPlaylistViewModel()
    : QObject(nullptr)
{
}

CPlaylistViewModel::CPlaylistViewModel(const QString &filepath, const QString &name,
                                       const PlaylistDirectory &directory)
    : QObject(nullptr)
    , m_directory(directory)
    , m_filepath(filepath)
    , m_name(name)
{
    if (!m_filepath.isEmpty())
        m_playlist.Load(m_filepath);
    m_scenesSelected = m_playlist.totalScenes();
}

CPlaylistViewModel::~CPlaylistViewModel() = default;

QQmlListProperty<CSceneViewModel> CPlaylistViewModel::scenes()
{
    // Scenes join a playlist through the selection, never through QML's list;
    // clearing it empties the scene list only, nothing is saved.
    return listProperty(this, &m_scenes);
}

void CPlaylistViewModel::setName(const QString &name)
{
    if (name == m_name)
        return;

    const auto refuse = [this, &name](const QString &reason) {
        emit problemRaised(tr("Playlist \u201c%1\u201d was not renamed to \u201c%2\u201d: %3")
                               .arg(m_name, name, reason));
    };
    const QString problem = nameProblem(name);
    if (!problem.isEmpty())
        return refuse(problem);
    const QString newPath = m_directory.filePathForName(name);
    if (newPath.isEmpty())
        return refuse(tr("the playlist folder is not known"));

    const QString oldPath = m_filepath;
    const bool hasFileToMove = !oldPath.isEmpty() && m_directory.contains(oldPath) && QFileInfo::exists(oldPath);

    // Never take over another playlist's file. The only existing file that
    // may be the target is this playlist's own, on systems whose file names
    // ignore case and the new name differs only in case.
    if (QFileInfo::exists(newPath)) {
        const QString oldCanonical = hasFileToMove ? QFileInfo(oldPath).canonicalFilePath() : QString();
        if (oldCanonical.isEmpty() || oldCanonical != QFileInfo(newPath).canonicalFilePath())
            return refuse(tr("a playlist of that name exists already"));
    }

    if (hasFileToMove && !QFile::rename(oldPath, newPath))
        return refuse(tr("the file could not be renamed"));

    m_name = name;
    m_filepath = newPath;
    const bool moved = newPath != oldPath;
    if (moved)
        emit fileMoved(oldPath, newPath);
    emit nameChanged();
    if (moved)
        emit filepathChanged();
}

void CPlaylistViewModel::setSelected(bool selected)
{
    assignAndNotify(this, m_selected, selected, &CPlaylistViewModel::selectedChanged);
}

void CPlaylistViewModel::setScenesSelected(int scenesSelected)
{
    assignAndNotify(this, m_scenesSelected, scenesSelected, &CPlaylistViewModel::scenesSelectedChanged);
}

void CPlaylistViewModel::setSceneList(const QList<CSceneViewModel *> &scenes)
{
    assignAndNotify(this, m_scenes, scenes, &CPlaylistViewModel::scenesChanged);
}

void CPlaylistViewModel::resolveScenes(QObjectListModel *allScenes)
{
    // Without the scene list nothing can match; resolving against it would
    // leave the playlist looking empty and its next write would drop every
    // entry.
    if (m_resolved || !allScenes)
        return;

    const int sceneTotal = allScenes->count();
    for (SceneKinds::Type type : typeOrder) {
        for (PlaylistEntry *entry : entriesOfType(type)) {
            bool matched = false;
            for (int row = 0; row < sceneTotal; ++row) {
                auto *scene = qobject_cast<CSceneViewModel *>(allScenes->at(row));
                if (!scene)
                    continue;
                if (matchEntry(entry, *scene)) {
                    m_scenes.append(scene);
                    matched = true;
                    break;
                }
            }
            if (!matched)
                m_unmatchedEntries.insert(entry);
        }
    }
    m_resolved = true;
    if (!m_scenes.isEmpty())
        emit scenesChanged();
}

void CPlaylistViewModel::forgetScene(CSceneViewModel *scene, bool keepEntry)
{
    if (!m_resolved || !m_scenes.removeOne(scene))
        return;
    if (keepEntry) {
        QString path = scene->scene().GetPath();
        if (path.isEmpty())
            path = scene->filepath();
        for (PlaylistEntry *entry : entriesOfType(scene->sceneType())) {
            if (isSamePath(entry->scenePath, path))
                m_unmatchedEntries.insert(entry);
        }
    }
    emit scenesChanged();
}

bool CPlaylistViewModel::adoptScene(CSceneViewModel *scene)
{
    if (!m_resolved || m_scenes.contains(scene))
        return false;
    for (SceneKinds::Type type : typeOrder) {
        for (PlaylistEntry *entry : entriesOfType(type)) {
            if (m_unmatchedEntries.contains(entry) && matchEntry(entry, *scene)) {
                m_unmatchedEntries.remove(entry);
                m_scenes.append(scene);
                emit scenesChanged();
                return true;
            }
        }
    }
    return false;
}

void CPlaylistViewModel::replaceScene(CSceneViewModel *old, CSceneViewModel *fresh)
{
    const int index = m_scenes.indexOf(old);
    if (index < 0)
        return;
    m_scenes[index] = fresh;
    emit scenesChanged();
}

bool CPlaylistViewModel::save(bool force)
{
    bool changed = m_writePending;
    for (SceneKinds::Type type : typeOrder) {
        if (synchronise(entriesOfType(type), type))
            changed = true;
    }

    if (!changed && !force)
        return true;
    if (m_playlist.noSave)
        return true;
    // Until a write succeeds the file lags the entries, so the next save
    // writes even when the selection has not changed again.
    m_writePending = !m_directory.contains(m_filepath) || !m_playlist.Save(m_filepath);
    return !m_writePending;
}

bool CPlaylistViewModel::synchronise(QList<PlaylistEntry *> &entries, SceneKinds::Type type)
{
    bool changed = false;
    // Entries of scenes the catalogue does not know stay as they are.
    for (PlaylistEntry *entry : entries)
        entry->found = m_unmatchedEntries.contains(entry);

    for (CSceneViewModel *scene : qAsConst(m_scenes)) {
        if (!scene)
            continue;
        const CScene &engineScene = scene->scene();
        if (scene->sceneType() != type)
            continue;
        // A scene whose file could not be read has no path of its own; its
        // view model still knows the file.
        QString path = engineScene.GetPath();
        if (path.isEmpty())
            path = scene->filepath();

        PlaylistEntry *match = nullptr;
        for (PlaylistEntry *entry : qAsConst(entries)) {
            if (isSamePath(entry->scenePath, path)) {
                match = entry;
                break;
            }
        }
        if (match) {
            match->found = true;
            continue;
        }
        auto *entry = new PlaylistEntry;
        entry->sceneId = engineScene.GetId();
        entry->scenePath = path;
        entry->reserved = 0;
        entry->typeFlags = int(engineScene.typeFlags);
        entry->found = true;
        entries.append(entry);
        changed = true;
    }

    for (int i = 0; i < entries.size();) {
        if (entries.at(i)->found) {
            ++i;
            continue;
        }
        m_unmatchedEntries.remove(entries.at(i));
        delete entries.takeAt(i);
        changed = true;
    }
    return changed;
}

QList<PlaylistEntry *> &CPlaylistViewModel::entriesOfType(SceneKinds::Type type)
{
    switch (type) {
    case SceneKinds::Background:
        return m_playlist.backgroundEntries;
    case SceneKinds::Foreground:
        return m_playlist.foregroundEntries;
    case SceneKinds::Postprocessing:
        return m_playlist.postprocessingEntries;
    case SceneKinds::Transition:
        return m_playlist.transitionEntries;
    case SceneKinds::Standalone:
        break;
    }
    return m_playlist.standaloneEntries;
}

QString CPlaylistViewModel::nameProblem(const QString &name)
{
    if (name.isEmpty())
        return tr("Enter a name.");
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return tr("\u201c%1\u201d cannot be a file name.").arg(name);
    // The playlist's path is a placeholder path, and the engine and the
    // player make every backslash in one a separator.
    if (name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\')))
        return tr("A playlist name cannot contain / or \\.");
    if (name.contains(QChar(0)))
        return tr("A playlist name cannot contain a NUL character.");
#ifdef Q_OS_WIN
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || QStringLiteral("<>:\"|?*").contains(c))
            return tr("A playlist name cannot contain < > : \" | ? * or control characters.");
    }
    if (name.endsWith(QLatin1Char('.')) || name.endsWith(QLatin1Char(' ')))
        return tr("A playlist name cannot end with a dot or a space.");
    if (isReservedDeviceName(name))
        return tr("\u201c%1\u201d is reserved for a device.").arg(name);
    // Windows limits a file name to 255 UTF-16 characters.
    if (name.size() + int(qstrlen(PlaylistDirectory::fileSuffix)) > maxFileNameLength)
        return tr("The name is too long for a file name.");
#else
    // File systems here limit a file name to 255 bytes as encoded on disk,
    // so "é" counts twice in UTF-8.
    if (QFile::encodeName(name + QLatin1String(PlaylistDirectory::fileSuffix)).size() > maxFileNameLength)
        return tr("The name is too long for a file name.");
#endif
    return QString();
}

bool CPlaylistViewModel::isSamePath(const QString &a, const QString &b)
{
#ifdef Q_OS_WIN
    const Qt::CaseSensitivity sensitivity = Qt::CaseInsensitive;
#else
    const Qt::CaseSensitivity sensitivity = Qt::CaseSensitive;
#endif
    return QDir::cleanPath(a).compare(QDir::cleanPath(b), sensitivity) == 0;
}

#pragma once

#include "CPlaylist.h"
#include "CSceneViewModel.h"
#include "PlaylistDirectory.h"

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <QSet>
#include <QString>

class QObjectListModel;

// One playlist file (".kvp" in the user's playlist directory) as QML sees it:
// its name, its file, the scenes it holds and how many of them are selected.
//
// Owns the engine playlist, which reads and writes the file. The scene list
// holds catalogue scenes without owning them; it stays empty until the
// playlist first becomes active (resolveScenes), and from then on the
// configuration view model rewrites it from the scenes' selection.
//
// The playlist named N lives in the file N.kvp of the playlist directory it
// is given. A name that cannot be a single file name there is never used:
// the file of a playlist is never written, moved or created anywhere else.
// A rename tells whoever keeps the file's path (fileMoved); the playlist
// changes nothing else itself.
class CPlaylistViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name WRITE setName NOTIFY nameChanged)
    Q_PROPERTY(bool selected READ selected WRITE setSelected NOTIFY selectedChanged)
    Q_PROPERTY(bool readOnly READ readOnly NOTIFY readOnlyChanged)
    Q_PROPERTY(int scenesSelected READ scenesSelected WRITE setScenesSelected NOTIFY scenesSelectedChanged)
    Q_PROPERTY(QString filepath READ filepath NOTIFY filepathChanged)
    Q_PROPERTY(QQmlListProperty<CSceneViewModel> scenes READ scenes NOTIFY scenesChanged)

public:
    // For QML: empty name and path, nothing loaded.
    CPlaylistViewModel();
    // Loads the playlist file at filepath (a missing or unreadable file gives
    // an empty playlist); scenesSelected starts as the file's scene count.
    // The file is written and moved only inside directory.
    CPlaylistViewModel(const QString &filepath, const QString &name, const PlaylistDirectory &directory);
    ~CPlaylistViewModel() override;

    QString name() const { return m_name; }
    bool selected() const { return m_selected; }
    bool readOnly() const { return m_readOnly; }
    int scenesSelected() const { return m_scenesSelected; }
    QString filepath() const { return m_filepath; }
    QQmlListProperty<CSceneViewModel> scenes();

    // Renames the playlist and moves its file to the new name. Refused (name,
    // path and file stay, only problemRaised emits) when the name cannot be a
    // playlist file name, when another file of that name exists, or when the
    // file cannot be moved. A rename emits fileMoved, nameChanged and
    // filepathChanged, in that order.
    void setName(const QString &name);
    void setSelected(bool selected);
    void setScenesSelected(int scenesSelected);

    // Maps the file's entries onto scenes of allScenes, once per playlist:
    // by identifier when both have one, else by file path as the file system
    // compares it (an entry without identifier then takes the scene's).
    // Entries that match no scene (a scene on a drive that is not mounted,
    // say) are kept as they are, in their place, by every later write.
    // Without a scene list nothing happens and the playlist stays unresolved.
    void resolveScenes(QObjectListModel *allScenes);
    bool isResolved() const { return m_resolved; }

    // Brings the file's entries in line with the scene list and writes the
    // file if they changed, an earlier write failed, or force is set, unless
    // the playlist's noSave is set. False when a write was due and did not
    // happen (the file would lie outside the user's playlist directory, or
    // could not be written); the next save tries again.
    bool save(bool force);
    // Whether the last write failed, so the file lags the entries.
    bool hasUnwrittenChanges() const { return m_writePending; }

    // The scene list, read and rewritten by the configuration view model;
    // scenesChanged tells of every change, the first resolution included.
    const QList<CSceneViewModel *> &sceneList() const { return m_scenes; }
    void setSceneList(const QList<CSceneViewModel *> &scenes);

    CPlaylist &playlist() { return m_playlist; }
    const CPlaylist &playlist() const { return m_playlist; }

    // The catalogue follows the disk; a resolved playlist follows it (an
    // unresolved one has no scenes to change). A scene that left the
    // catalogue leaves the scene list, and with keepEntry its entry is kept
    // as one of an unknown scene (without, the next save drops it, as the
    // user unticked it); a scene that arrived takes the kept entry it matches (by
    // the rule of resolveScenes), true when it did; a scene read again
    // stands in for its old view model. Each emits scenesChanged when the
    // scene list changed.
    void forgetScene(CSceneViewModel *scene, bool keepEntry);
    bool adoptScene(CSceneViewModel *scene);
    void replaceScene(CSceneViewModel *old, CSceneViewModel *fresh);

    // Why name cannot be the file name (with ".kvp") of a playlist in that
    // directory, for the user; empty when it can. Everywhere: not empty, not
    // "." or "..", no "/" or "\\" (the playlist's placeholder path turns a
    // backslash into a separator), no NUL, not longer than the file system
    // allows (255 bytes of the encoded name outside Windows, 255 characters
    // on Windows). On Windows also none of < > : " | ? * or control
    // characters, no trailing dot or space and no device name such as
    // "con"; elsewhere those are ordinary file names.
    static QString nameProblem(const QString &name);
    static bool isUsableName(const QString &name) { return nameProblem(name).isEmpty(); }
    // Whether two paths are spelled the same once cleaned, ignoring case on
    // Windows only: elsewhere "Sunset.kvc" and "sunset.kvc" are two files.
    static bool isSamePath(const QString &a, const QString &b);
    const PlaylistDirectory &directory() const { return m_directory; }

signals:
    void nameChanged();
    void selectedChanged();
    void scenesChanged();
    void readOnlyChanged();
    void scenesSelectedChanged();
    // A rename was refused; text names the playlist and the reason.
    void problemRaised(QString text);
    void filepathChanged();
    // A rename moved the playlist's file; emitted before nameChanged.
    void fileMoved(QString fromPath, QString toPath);

private:
    QList<PlaylistEntry *> &entriesOfType(SceneKinds::Type type);
    bool synchronise(QList<PlaylistEntry *> &entries, SceneKinds::Type type);

    QList<CSceneViewModel *> m_scenes;
    CPlaylist m_playlist;
    PlaylistDirectory m_directory;
    QString m_filepath;
    QString m_name;
    bool m_selected = false;
    bool m_resolved = false;
    bool m_writePending = false;   // the last write failed: the file lags the entries
    // Entries that matched no catalogue scene; every write keeps them.
    QSet<const PlaylistEntry *> m_unmatchedEntries;
    bool m_readOnly = false;
    int m_scenesSelected = 0;
};

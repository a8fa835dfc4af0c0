#pragma once

#include "CScene.h"
#include "SceneChange.h"
#include "SceneKinds.h"
#include "SceneWatcher.h"

#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>

// One scene file (".kvc") as QML sees it: its metadata, whether it is an
// official scene or the user's own, whether the user selected it, and the path
// of its file. Tag and relicensing edits are written back to the file at once.
//
// Created without a parent; its creator keeps it alive.
class CSceneViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QString name READ name CONSTANT)
    Q_PROPERTY(QString author READ author CONSTANT)
    Q_PROPERTY(QString id READ id CONSTANT)
    Q_PROPERTY(QStringList tags READ tags NOTIFY tagsChanged)
    Q_PROPERTY(bool relicensingPossible READ relicensingPossible NOTIFY relicensingPossibleChanged)
    Q_PROPERTY(QString type READ type CONSTANT)
    Q_PROPERTY(int sceneTypeAsIndex READ sceneTypeAsIndex CONSTANT)
    Q_PROPERTY(QString description READ description CONSTANT)
    Q_PROPERTY(QString licenseImage READ licenseImage CONSTANT)
    Q_PROPERTY(QString licenseUrl READ licenseUrl CONSTANT)
    Q_PROPERTY(QString filepath READ filepath WRITE setFilepath NOTIFY filepathChanged)
    Q_PROPERTY(bool selected READ selected WRITE setSelected NOTIFY selectedChanged)
    Q_PROPERTY(bool official READ official CONSTANT)
    // Whether the file's metadata could be read; when not, the other
    // properties show an empty scene and loadError says why.
    Q_PROPERTY(bool readable READ readable CONSTANT)
    Q_PROPERTY(QString loadError READ loadError CONSTANT)
    // The file's name without its directories, for scenes without a name.
    Q_PROPERTY(QString fileName READ fileName NOTIFY filepathChanged)

public:
    // For QML: empty path, nothing loaded (so not readable), not selected,
    // not official.
    CSceneViewModel();
    // Reads the scene's metadata from filepath. A file that cannot be read
    // still gives a view model, showing an empty scene.
    CSceneViewModel(const QString &filepath, bool official);
    // Takes a scene already loaded (or restored) from filepath, as the
    // constructor above would have loaded it; readable is what its load
    // returned.
    CSceneViewModel(const QString &filepath, bool official, CScene loaded, bool readable);
    ~CSceneViewModel() override;

    QString name() const;
    QString author() const;
    QString id() const;
    QStringList tags() const;
    bool relicensingPossible() const;
    // "Background", "Foreground", "Postprocessing", "Transition" or "Standalone".
    QString type() const;
    // 1 to 4 in the order above, 0 for "Standalone".
    int sceneTypeAsIndex() const;
    QString description() const;
    // "icons/<licence type>.png", empty without a licence type.
    QString licenseImage() const;
    QString licenseUrl() const;
    QString filepath() const;
    bool selected() const;
    bool official() const;

    void setFilepath(const QString &filepath);
    void setSelected(bool selected);

    // The engine's scene as loaded at construction (plus the edits below).
    const CScene &scene() const { return m_scene; }
    CScene &scene() { return m_scene; }

    // The type its flag word gives (SceneKinds::typeOf); type() is its name,
    // sceneTypeAsIndex() its value.
    SceneKinds::Type sceneType() const;

    // Each edit writes the change into the file at filepath through a
    // freshly loaded copy, then makes it in memory and emits its signal.
    // When the copy cannot be loaded or saved, the file, the scene in memory
    // and its signals are left alone and the program-wide configuration view
    // model tells the user why.
    Q_INVOKABLE void addTag(QString tag);
    Q_INVOKABLE void removeTag(QString tag);
    Q_INVOKABLE void setRelicensingPossible(bool possible);

    // The same edits for callers that report failures themselves (bulk
    // edits sum them up): empty on success, else why the file was not
    // changed, in a few words. They report nothing themselves.
    QString applyAddTag(const QString &tag);
    QString applyRemoveTag(const QString &tag);
    QString applyRelicensingPossible(bool possible);

    // How the user knows this scene in a message: its name, else its file
    // name.
    QString displayName() const;

    bool readable() const { return m_readable; }
    // Empty when readable.
    QString loadError() const { return m_loadError; }
    QString fileName() const;

    // Any edit, as the ones above: written to the file, then made in memory.
    // With backups, the file's bytes are kept first in *kept (see
    // SceneChange::writeKeeping).
    QString applyChange(const SceneChange &change, const SceneFileBackups *backups = nullptr,
                        SceneFileBackups::Kept *kept = nullptr);
    // The memory half only, for a caller that wrote the file itself (a bulk
    // edit writes on worker threads): makes the change and emits its signal.
    void showChange(const SceneChange &change);

    // Reads the scene's metadata from its file again (an undo put earlier
    // bytes back) and emits tagsChanged and relicensingPossibleChanged where
    // they changed. The file's other metadata is shown as first read.
    void reloadMetadata();

    // At most one watcher: the configuration view model listing the scene.
    void setWatcher(SceneWatcher *watcher) { m_watcher = watcher; }
    SceneWatcher *watcher() const { return m_watcher; }

signals:
    void selectedChanged();
    void filepathChanged();
    void tagsChanged();
    void relicensingPossibleChanged();

private:
    QString applyUndoably(const SceneChange &change);
    // Tells the watcher, then emits the change's own signal.
    void announce(SceneWatcher::Change change);

    CScene m_scene;
    QString m_filepath;
    bool m_selected = false;
    bool m_official = false;
    bool m_readable = false;
    void noteLoadResult(bool readable);
    QString m_loadError;
    QPointer<SceneWatcher> m_watcher;
};

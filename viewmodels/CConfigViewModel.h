#pragma once

#include "CPlaylistViewModel.h"
#include "CSceneViewModel.h"
#include "CScenesFilterViewModel.h"
#include "CTagViewModel.h"
#include "EditHistory.h"
#include "PlayerSettings.h"
#include "QObjectListModel.h"
#include "SceneFileBackups.h"
#include "ViewModelContext.h"

#include <QHash>
#include <QList>
#include <QMap>
#include <QObject>
#include <QPair>
#include <QPointer>
#include <QSet>
#include <QQmlListProperty>
#include <QString>
#include <QTimer>
#include <QVariantMap>

class BulkSceneEdit;

#include <functional>
#include <memory>

// The one object the user interface binds to (QML singleton
// "ConfigViewModel"): the player's settings, the scene catalogue with its
// tags, filter and selection, the playlists, and starting the player.
//
// Settings read and write the engine's configuration record in memory; the
// record is saved only by the two save handlers, before a preview and before
// a playlist is viewed in the player. A scene's `selected` flag means
// membership of the active playlist; the selection is written into that
// playlist when another one becomes active, at quit, whenever the
// application stops being the active one, and about a second after the
// selection last changed, so a crash loses at most that second.
//
// What fails and matters to the user (an edit not written, a playlist not
// saved, created, renamed or deleted, a playlist file kept aside as
// unreadable) is told through messageRaised, one sentence naming the scene
// or playlist and the reason.
//
// What it needs of the application (the configuration record, the playlist
// directory, the player) comes in a ViewModelContext when it is made. It keeps
// the catalogue's derived state itself: a scene's selection or edit updates
// the active playlist's count and re-runs the filter when the filter looks at
// it; a rename of the playlist to run updates playlistToRun.
//
// Owns nothing it is handed: scenes, tags, playlists and the scene list stay
// with start-up. The filter proxy is created here, without a parent, and
// lives until the process ends, since QML may still hold it after the view
// model is gone.
class CConfigViewModel : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool randNextScene READ randNextScene WRITE setRandNextScene NOTIFY randNextSceneChanged)
    Q_PROPERTY(float transitionTime READ transitionTime WRITE setTransitionTime NOTIFY transitionTimeChanged)
    Q_PROPERTY(float transitionFromScale READ transitionFromScale WRITE setTransitionFromScale NOTIFY transitionFromScaleChanged)
    Q_PROPERTY(float transitionToScale READ transitionToScale WRITE setTransitionToScale NOTIFY transitionToScaleChanged)
    Q_PROPERTY(float renderTargetSize READ renderTargetSize WRITE setRenderTargetSize NOTIFY renderTargetSizeChanged)
    Q_PROPERTY(float renderTargetSizeVR READ renderTargetSizeVR WRITE setRenderTargetSizeVR NOTIFY renderTargetSizeVRChanged)
    Q_PROPERTY(int renderTargetWidth READ renderTargetWidth WRITE setRenderTargetWidth NOTIFY renderTargetWidthChanged)
    Q_PROPERTY(int renderTargetHeight READ renderTargetHeight WRITE setRenderTargetHeight NOTIFY renderTargetHeightChanged)
    Q_PROPERTY(float minSceneTime READ minSceneTime WRITE setMinSceneTime NOTIFY minSceneTimeChanged)
    Q_PROPERTY(float maxSceneTime READ maxSceneTime WRITE setMaxSceneTime NOTIFY maxSceneTimeChanged)
    Q_PROPERTY(float sceneChangeSilenceTime READ sceneChangeSilenceTime WRITE setSceneChangeSilenceTime NOTIFY sceneChangeSilenceTimeChanged)
    Q_PROPERTY(float sceneChangeSilenceCooldownTime READ sceneChangeSilenceCooldownTime WRITE setSceneChangeSilenceCooldownTime NOTIFY sceneChangeSilenceCooldownTimeChanged)
    Q_PROPERTY(float postProcessingProbability READ postProcessingProbability WRITE setPostProcessingProbability NOTIFY postProcessingProbabilityChanged)
    Q_PROPERTY(float maxSoundCaptureSilence READ maxSoundCaptureSilence WRITE setMaxSoundCaptureSilence NOTIFY maxSoundCaptureSilenceChanged)
    Q_PROPERTY(bool layerScenesInVR READ layerScenesInVR WRITE setLayerScenesInVR NOTIFY layerScenesInVRChanged)
    Q_PROPERTY(bool captureSound READ captureSound WRITE setCaptureSound NOTIFY captureSoundChanged)
    Q_PROPERTY(bool enablePreloader READ enablePreloader WRITE setEnablePreloader NOTIFY enablePreloaderChanged)
    Q_PROPERTY(bool captureRecordingDevice READ captureRecordingDevice WRITE setCaptureRecordingDevice NOTIFY captureRecordingDeviceChanged)
    Q_PROPERTY(bool checkForNewVersion READ checkForNewVersion WRITE setCheckForNewVersion NOTIFY checkForNewVersionChanged)
    Q_PROPERTY(bool sendUsageStats READ sendUsageStats WRITE setSendUsageStats NOTIFY sendUsageStatsChanged)
    Q_PROPERTY(bool preferOpenVR READ preferOpenVR WRITE setPreferOpenVR NOTIFY preferOpenVRChanged)

    Q_PROPERTY(int scenesSelected READ scenesSelected NOTIFY scenesSelectedChanged)
    Q_PROPERTY(CSceneViewModel *activeScene READ activeScene WRITE setActiveScene NOTIFY activeSceneChanged)
    Q_PROPERTY(CPlaylistViewModel *activePlaylist READ activePlaylist WRITE setActivePlaylist NOTIFY activePlaylistChanged)
    Q_PROPERTY(QString playlistToRun READ playlistToRun WRITE setPlaylistToRun NOTIFY playlistToRunChanged)
    Q_PROPERTY(CScenesFilterViewModel *filteredScenes READ filteredScenes CONSTANT)
    Q_PROPERTY(QObjectListModel *allScenes READ allScenes CONSTANT)
    Q_PROPERTY(QQmlListProperty<CPlaylistViewModel> playlists READ playlists NOTIFY playlistsChanged)
    Q_PROPERTY(QQmlListProperty<CTagViewModel> tags READ tags NOTIFY tagsChanged)
    // An edit of many scenes running off the GUI thread (startBulkEdit):
    // whether one runs, how many files it has tried of how many, and what it
    // does, in a few words.
    Q_PROPERTY(bool bulkEditRunning READ bulkEditRunning NOTIFY bulkEditChanged)
    Q_PROPERTY(int bulkEditDone READ bulkEditDone NOTIFY bulkEditProgressChanged)
    Q_PROPERTY(int bulkEditTotal READ bulkEditTotal NOTIFY bulkEditChanged)
    Q_PROPERTY(QString bulkEditDescription READ bulkEditDescription NOTIFY bulkEditChanged)

public:
    // What startBulkEdit does to every scene ticked into the active playlist.
    enum BulkEditKind { BulkAddTag, BulkRemoveTag, BulkSetRelicensing };
    Q_ENUM(BulkEditKind)

    // Without a context (QML, a test of the settings) a detached default
    // record stands in, so the settings are always readable; nothing is
    // saved, no playlist file is touched and no player starts.
    explicit CConfigViewModel(QObject *parent = nullptr);
    explicit CConfigViewModel(const ViewModelContext &context, QObject *parent = nullptr);
    ~CConfigViewModel() override;

    // The program-wide instance, set by start-up right after construction.
    // The destructor clears it when it points at the destroyed object, so the
    // save handlers never reach an instance the QML engine has deleted.
    static CConfigViewModel *instance();
    static void setInstance(CConfigViewModel *viewModel);

    // Save handlers, connected by start-up before the view model exists.
    // Both store the selection into the active playlist and save the
    // configuration record (saveWork); without the instance they do nothing. The state handler acts on every state except
    // Qt::ApplicationActive. At quit an edit of many scenes stops before its
    // next file and the files being written are finished first.
    static void handleAboutToQuit();
    static void handleApplicationStateChanged(Qt::ApplicationState state);

    // Settings.
    bool randNextScene() const { return m_settings.randNextScene(); }
    float transitionTime() const { return m_settings.transitionTime(); }
    float transitionFromScale() const { return m_settings.transitionFromScale(); }
    float transitionToScale() const { return m_settings.transitionToScale(); }
    float renderTargetSize() const { return m_settings.renderTargetSize(); }
    float renderTargetSizeVR() const { return m_settings.renderTargetSizeVR(); }
    int renderTargetWidth() const { return m_settings.renderTargetWidth(); }
    int renderTargetHeight() const { return m_settings.renderTargetHeight(); }
    float minSceneTime() const { return m_settings.minSceneTime(); }
    float maxSceneTime() const { return m_settings.maxSceneTime(); }
    float sceneChangeSilenceTime() const { return m_settings.sceneChangeSilenceTime(); }
    float sceneChangeSilenceCooldownTime() const { return m_settings.sceneChangeSilenceCooldownTime(); }
    float postProcessingProbability() const { return m_settings.postProcessingProbability(); }
    float maxSoundCaptureSilence() const { return m_settings.maxSoundCaptureSilence(); }
    bool layerScenesInVR() const { return m_settings.layerScenesInVR(); }
    bool captureSound() const { return m_settings.captureSound(); }
    bool enablePreloader() const { return m_settings.enablePreloader(); }
    bool captureRecordingDevice() const { return m_settings.captureRecordingDevice(); }
    bool checkForNewVersion() const { return m_settings.checkForNewVersion(); }
    bool sendUsageStats() const { return m_settings.sendUsageStats(); }
    bool preferOpenVR() const { return m_settings.preferOpenVR(); }

    // Catalogue and playlists.
    // Counted afresh over the whole scene list, hidden scenes included. Its
    // signal stays silent: the count QML shows is the active playlist's
    // scenesSelected, which follows every change of the selection.
    int scenesSelected() const;
    CSceneViewModel *activeScene() const { return m_activeScene; }
    CPlaylistViewModel *activePlaylist() const { return m_activePlaylist; }
    QString playlistToRun() const;
    CScenesFilterViewModel *filteredScenes() const { return m_filteredScenes; }
    QObjectListModel *allScenes() const { return m_allScenes; }
    QQmlListProperty<CPlaylistViewModel> playlists();
    QQmlListProperty<CTagViewModel> tags();

    const QList<CPlaylistViewModel *> &playlistList() const { return m_playlists; }
    const QList<CTagViewModel *> &tagList() const { return m_tags; }

    // Start-up fills the view model in this order, before QML loads.
    // One tag per ordinary scene tag, scene type, "User" and "NoRelicensing"
    // counted over scenes, plus "Selected" (N + 2) and "NotSelected"
    // (N + 1); highest score first. The tags have no parent.
    static QList<CTagViewModel *> buildTagList(const QList<CSceneViewModel *> &scenes);
    // Makes model the scene list and the filter proxy's source.
    void setAllScenes(QObjectListModel *model);
    // Replaces the playlists and activates the one the player runs.
    void setPlaylists(const QList<CPlaylistViewModel *> &list);
    void setTags(const QList<CTagViewModel *> &list);

    // Writes the selected scenes into the active playlist and its file, if
    // that changed. Nothing is written before the scene list is installed
    // and the playlist's entries were matched to it. A file that cannot be
    // written is reported once, and written again by the next store.
    void storeSelection();
    // How long after the last change of the selection it is stored
    // (storeSelectionDelayMs unless a test shortens it), and whether a
    // store is waiting.
    void setStoreDelay(int milliseconds) { m_storeTimer.setInterval(milliseconds); }
    int storeDelay() const { return m_storeTimer.interval(); }
    bool isStorePending() const { return m_storeTimer.isActive(); }
    static constexpr int storeSelectionDelayMs = 1000;
    // Each tag's facetCount follows what the filter shows; counted when the
    // filter changes and, for the tags and scenes handed over at start-up,
    // once the event loop runs. While held, counting waits until released:
    // the start-up holds it until the window's first frame, as the chips
    // show the tags' scores until the first count, and those are the counts
    // of the unfiltered catalogue shown first.
    void setFacetCountsHeld(bool held);
    // Recounts the selected scenes into the active playlist's scenesSelected.
    void updateScenesSelected();
    // What the save handlers do: store the selection, save the configuration.
    void saveWork();
    const ViewModelContext &context() const { return m_context; }

    // Emits messageRaised(text): for the item view models, whose own
    // interfaces stay as QML knows them.
    void raiseMessage(const QString &text) { emit messageRaised(text); }

    bool bulkEditRunning() const;
    int bulkEditDone() const;
    int bulkEditTotal() const;
    QString bulkEditDescription() const;

    // The tag names no scene tag is counted under.
    static const QStringList &reservedTagNames() { return SceneKinds::reservedTagNames(); }

signals:
    void randNextSceneChanged();
    void transitionTimeChanged();
    void minSceneTimeChanged();
    void maxSceneTimeChanged();
    void postProcessingProbabilityChanged();
    void maxSoundCaptureSilenceChanged();
    void captureSoundChanged();
    void enablePreloaderChanged();
    void captureRecordingDeviceChanged();
    void checkForNewVersionChanged();
    void sendUsageStatsChanged();
    void transitionFromScaleChanged();
    void transitionToScaleChanged();
    void renderTargetSizeChanged();
    void renderTargetSizeVRChanged();
    void renderTargetWidthChanged();
    void renderTargetHeightChanged();
    void sceneChangeSilenceTimeChanged();
    void sceneChangeSilenceCooldownTimeChanged();
    void layerScenesInVRChanged();
    void preferOpenVRChanged();

    void scenesChanged();
    void activePlaylistChanged();
    void playlistToRunChanged();
    void playlistsChanged();
    void activeSceneChanged();
    void tagsChanged();
    void scenesSelectedChanged();
    // Something the user should know: what was not done, to which scene or
    // playlist, and why. Plain text.
    void messageRaised(QString text);
    void bulkEditChanged();
    void bulkEditProgressChanged();

public slots:
    // The conversions are PlayerSettings'; each emits only on a change.
    void setRandNextScene(bool randNextScene);
    void setTransitionTime(float transitionTime);
    void setMinSceneTime(float minSceneTime);
    void setMaxSceneTime(float maxSceneTime);
    void setPostProcessingProbability(float value);
    void setTransitionFromScale(float value);
    void setTransitionToScale(float value);
    void setRenderTargetSize(float value);
    void setRenderTargetSizeVR(float value);
    void setRenderTargetWidth(int value);
    void setRenderTargetHeight(int value);

    // Any string, listed or not; nothing is saved.
    void setPlaylistToRun(QString playlist);
    void setActiveScene(CSceneViewModel *activeScene);
    // Stores the selection into the outgoing playlist, then shows the new
    // one's membership in the scenes' selection (null keeps the flags).
    void setActivePlaylist(CPlaylistViewModel *playlist);

    void setMaxSoundCaptureSilence(float value);
    void setCaptureSound(bool value);
    void setEnablePreloader(bool value);
    void setCaptureRecordingDevice(bool value);
    void setCheckForNewVersion(bool value);
    void setSendUsageStats(bool value);
    void setSceneChangeSilenceTime(float value);
    void setSceneChangeSilenceCooldownTime(float value);
    void setLayerScenesInVR(bool value);
    void setPreferOpenVR(bool value);

public:
    // Filter: the text is searched in scene names as given; a tag's
    // selection makes it a filter term.
    Q_INVOKABLE void searchScenes(QString filter);
    Q_INVOKABLE void selectTag(QString tag, bool selected);
    // Edits of every selected scene, hidden ones included, written to the
    // scene files at once.
    Q_INVOKABLE void addTag(QString tag);
    Q_INVOKABLE void removeTag(QString tag);
    Q_INVOKABLE void relicensingPossible(bool value);
    // Playlist files. A name that cannot be a single file name in the
    // user's playlist directory is refused: nothing is created, removed,
    // saved or started. A file that cannot be written or removed leaves
    // everything as it was, with a message.
    // Creates the playlist under the first free name of name, "name 1",
    // "name 2"... and makes it the playlist to run and the active playlist.
    Q_INVOKABLE void addPlaylist(QString name);
    Q_INVOKABLE void deletePlaylist(QString name);
    // Saves the configuration and starts the player on the playlist's file,
    // with the switch "-" + mode. Viewing the active playlist stores its
    // selection into its file first.
    Q_INVOKABLE void viewPlaylist(QString name, QString mode);
    // Save the configuration and start the player on the active scene.
    Q_INVOKABLE void previewSelectedScene();
    Q_INVOKABLE void previewSelectedSceneVR();
    // Bulk selection of the visible scenes; needs an active playlist.
    Q_INVOKABLE void selectAllScenes();
    Q_INVOKABLE void deselectAllScenes();
    Q_INVOKABLE void toggleAllScenes();
    // Why name cannot be a playlist's file name here, for the name dialogs;
    // empty when it can.
    Q_INVOKABLE QString playlistNameProblem(QString name) const;

    // ---- The catalogue following the disk (CConfigViewModelCatalogue.cpp) ----
    // Scenes that arrive (an import, the scene folders changing) and leave
    // while the program runs. The scene list changes row by row, never by a
    // reset, so views keep their place; the tag list is recounted, the
    // active playlist's count and the filter follow.
    //
    // Where a scene goes: true when a comes before b. Start-up sets the
    // newest-first order; without one, arriving scenes go last.
    using SceneOrder = std::function<bool(const CSceneViewModel &, const CSceneViewModel &)>;
    void setSceneOrder(SceneOrder order) { m_sceneOrder = std::move(order); }
    // Each arrived scene (read afresh, without parent; the catalogue owns it
    // from now on) is listed at its place, or, when a scene of the same file
    // is listed, takes that one's place with its tick, as the active scene
    // and in the playlists; a scene that reads the same as the listed one is
    // deleted at once and nothing changes (this program's own writes). The
    // scenes of removedPaths leave the list and the playlists' scene lists;
    // the playlists keep their entries, and a scene that comes back takes
    // them again. A removed or replaced scene stops being the active scene
    // and is deleted once control returns to the event loop.
    void updateCatalogue(const QList<CSceneViewModel *> &arrived, const QStringList &removedPaths);
    // The listed scene of the file at path, or null.
    CSceneViewModel *sceneForFile(const QString &path) const;
    // ---- What the player runs, and what the window remembers ---------------
    // The player runs the file of the playlist to run, which need not be one
    // of the listed playlists: before the user chooses, it is the playlist
    // that ships with the program.
    //
    // The listed playlist whose file the player runs; null when it runs a
    // file outside the list, or nothing.
    Q_PROPERTY(CPlaylistViewModel *runningPlaylist READ runningPlaylist NOTIFY runningPlaylistChanged)
    // What the player runs, by name: the listed playlist's name, else the
    // file's name without ".kvp"; empty when there is no playlist to run.
    Q_PROPERTY(QString runningPlaylistName READ runningPlaylistName NOTIFY runningPlaylistChanged)
    // Whether that file is one of the playlists shipped with the program
    // (the application directory's "playlists" folder).
    Q_PROPERTY(bool runningPlaylistBundled READ runningPlaylistBundled NOTIFY runningPlaylistChanged)
    // The file in which the window keeps its size, position, panels and
    // order: "window.ini" beside the configuration; empty without one.
    Q_PROPERTY(QString windowStateFile READ windowStateFile CONSTANT)

    CPlaylistViewModel *runningPlaylist() const;
    QString runningPlaylistName() const;
    bool runningPlaylistBundled() const;
    QString windowStateFile() const;

signals:
    // runningPlaylist, its name or where it comes from may have changed.
    void runningPlaylistChanged();
    // The user ticked or unticked a scene of the active playlist (loading a
    // playlist's scenes into the selection is not an edit).
    void activePlaylistEdited();
    // Something done that changes what the user expects (a playlist made,
    // the playlist the player runs deleted): one sentence, plain text.
    void noticeRaised(QString text);

public:
    // Edits of many scenes, asked for first and written off the GUI thread.
    // What the edit would do, before asking: "selected" the scenes ticked
    // into the active playlist, "changes" those of them whose file it would
    // change (a scene that has the tag already is left alone), "hidden"
    // how many of those the filter hides, "unreadable" the selected scenes
    // left alone because their file could not be read. A tag edit with an empty tag or a
    // filter word changes nothing.
    Q_INVOKABLE QVariantMap bulkEditReach(int kind, QString tag, bool value) const;
    // Starts writing the change into every file bulkEditReach counts. The
    // scenes in memory follow once all files were tried; messageRaised then
    // says how many changed and names the failures. Refused (false) while
    // another runs or when nothing would change.
    Q_INVOKABLE bool startBulkEdit(int kind, QString tag, bool value);
    // Stops before the next file; what was written stays and is reported.
    Q_INVOKABLE void cancelBulkEdit();
    // The row of scene in filteredScenes, -1 when hidden or not listed.
    Q_INVOKABLE int visibleRowOf(QObject *scene) const;

    // ---- Taking changes back (CConfigViewModelUndo.cpp) ---------------------
    // Scene edits (one scene or many), a deleted playlist and a change of the
    // ticks of the visible scenes can be undone, newest first. Each is
    // reported when made by a message; while its step is the newest,
    // undoMessage is that message's text, so the banner can offer "Undo".
    Q_PROPERTY(EditHistory *history READ history CONSTANT)
    Q_PROPERTY(QString undoMessage READ undoMessage NOTIFY undoMessageChanged)

    EditHistory *history() const { return m_history; }
    QString undoMessage() const { return m_undoMessage; }
    // Undoes the newest step; refused (nothing forgotten) while an edit of
    // many scenes runs. The outcome is told through noticeRaised or
    // messageRaised.
    Q_INVOKABLE bool undo();
    // One scene's edit from the details pane: written, kept for undo and
    // told as done. Empty on success, else why the file was not changed.
    QString editScene(CSceneViewModel *scene, const SceneChange &change);
    // Null when scene edits cannot be undone (no undo directory).
    const SceneFileBackups *sceneBackups() const { return m_backups.get(); }

signals:
    void undoMessageChanged();

public:
    // ---- Browsing (CConfigViewModelBrowse.cpp) ------------------------------
    // Ticks into the active playlist every scene shown between the visible
    // rows from and to, both included, in view order (as a Shift+click does);
    // rows beyond the ends are left out. One batch, so the filter and the
    // counts follow once. Nothing happens without an active playlist.
    Q_INVOKABLE void selectVisibleRange(int from, int to);
    // Sets every player setting back to the value a fresh configuration
    // record has, each through its setter (signals fire for the ones that
    // change). Saved like any other change of a setting.
    Q_INVOKABLE void resetSettingsToDefaults();

private:
    enum class BulkSelection { Select, Deselect, Toggle };
    using KeptScene = QPair<QPointer<CSceneViewModel>, SceneFileBackups::Kept>;
    struct DeletedPlaylist
    {
        QString name;
        QString trashPath;   // empty: removed, rewritten from model on undo
        QPointer<CPlaylistViewModel> model;
        int row = 0;
        bool wasActive = false;
        bool wasToRun = false;
    };

    static QString sceneCount(int count);
    static QString editStepText(const SceneChange &change, const QString &target);
    static QString editDoneText(const SceneChange &change, const QString &target);
    // Pushes step and then tells message, tied to it.
    void recordStep(EditHistory::Step step, const QString &message, bool notice);
    // False (nothing recorded) when no edit could be kept.
    bool recordSceneEdits(const QString &text, const QString &message, bool notice, const QList<KeptScene> &edits);
    QString undoSceneEdits(const QList<KeptScene> &edits);
    void recordPlaylistDeletion(const DeletedPlaylist &deleted, const QString &message);
    QString restorePlaylist(const DeletedPlaylist &deleted);
    void recordTicks(BulkSelection operation, int changed, const QList<QPointer<CSceneViewModel>> &before);
    QString restoreTicks(const QPointer<CPlaylistViewModel> &playlist, const QString &name,
                         const QList<QPointer<CSceneViewModel>> &before);
    // Drops the steps whose scenes or playlist are gone.
    void dropStaleSteps();
    void editSelectedScenes(const SceneChange &change, const QString &failedWhat);

    // While one lives, scene changes are gathered instead of acted on; the
    // outermost one recounts and re-filters once when it ends.
    class SceneChangeBatch
    {
    public:
        explicit SceneChangeBatch(CConfigViewModel &owner) : m_owner(owner) { ++m_owner.m_batchDepth; }
        ~SceneChangeBatch() { m_owner.endSceneChangeBatch(); }
        SceneChangeBatch(const SceneChangeBatch &) = delete;
        SceneChangeBatch &operator=(const SceneChangeBatch &) = delete;

    private:
        CConfigViewModel &m_owner;
    };

    void notifyIf(bool changed, void (CConfigViewModel::*signal)())
    {
        if (changed)
            emit(this->*signal)();
    }
    void watchScene(CSceneViewModel *scene);
    void watchedSceneChanged(CSceneViewModel *scene, SceneWatcher::Change change);
    void sceneChanged(const QObject *scene, CScenesFilterViewModel::SceneAspects aspects);
    void applySceneChanges(CScenesFilterViewModel::SceneAspects aspects);
    void updateFacetCounts();
    void endSceneChangeBatch();
    void playlistFileMoved(const QString &fromPath, const QString &toPath);

    void applyToVisibleScenes(BulkSelection operation);
    void previewActiveScene(const QString &modeSwitch);
    void scheduleStore();
    void watchPlaylist(CPlaylistViewModel *playlist);
    // Emitted once the event loop runs, so the interface, loaded after
    // start-up, still hears what start-up found.
    void raiseMessageLater(const QString &text);
    // One message for the scenes a bulk edit could not change.
    void reportEditFailures(const QString &what, const QStringList &failures);
    QList<CSceneViewModel *> sceneObjects() const;
    // The selected scenes change would change.
    QList<CSceneViewModel *> scenesToChange(const SceneChange &change) const;
    static bool bulkChangeFor(int kind, const QString &tag, bool value, SceneChange *change);
    void finishBulkEdit();
    bool refuseDuringBulkEdit();
    QString failureSummary(const QString &what, const QStringList &failures) const;
    // Keeps the tag list in step with the scenes: scores follow, a tag no
    // scene has any more leaves (unless it is a filter term the user must
    // be able to clear), a new one joins.
    void refreshTagList();
    static QMap<QString, int> tagCounts(const QList<CSceneViewModel *> &scenes);
    static void sortTags(QList<CTagViewModel *> &tags);
    void dropActiveSceneIfHidden();

    ViewModelContext m_context;
    PlayerSettings m_settings;
    QObjectListModel *m_allScenes = nullptr;
    CScenesFilterViewModel *m_filteredScenes = nullptr;
    CSceneViewModel *m_activeScene = nullptr;
    CPlaylistViewModel *m_activePlaylist = nullptr;
    QList<CTagViewModel *> m_tags;
    QList<CPlaylistViewModel *> m_playlists;
    QTimer m_storeTimer;
    QTimer m_facetTimer;   // the first count, once the event loop runs
    bool m_facetCountsHeld = false;
    bool m_facetCountsDue = false;   // asked for while held
    QMetaObject::Connection m_listedLaterHook;
    SceneWatcher *m_sceneRelay = nullptr;   // told of the watched scenes' changes
    bool m_loadingSelection = false;   // the flags follow a playlist, not the user
    int m_batchDepth = 0;
    CScenesFilterViewModel::SceneAspects m_batchedAspects;
    BulkSceneEdit *m_bulkEdit = nullptr;
    // Tags that left the list, kept for reuse: QML may still hold them.
    QHash<QString, CTagViewModel *> m_retiredTags;

    EditHistory *m_history = nullptr;
    std::unique_ptr<SceneFileBackups> m_backups;
    QString m_undoMessage;
    QString m_undoStepText;   // the text of the step m_undoMessage reported
    bool m_recordingStep = false;
    QSet<const QObject *> m_listedScenes;   // filled only while dropping stale steps

    // The catalogue following the disk.
    SceneOrder m_sceneOrder;
    int sceneRowFor(const CSceneViewModel &scene) const;
};

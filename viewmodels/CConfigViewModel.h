#pragma once

#include "CPlaylistViewModel.h"
#include "CSceneViewModel.h"
#include "CScenesFilterViewModel.h"
#include "CTagViewModel.h"
#include "PlayerSettings.h"
#include "QObjectListModel.h"
#include "ViewModelContext.h"

#include <QList>
#include <QObject>
#include <QQmlListProperty>
#include <QString>
#include <QTimer>

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

public:
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
    // Qt::ApplicationActive.
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
    // once the event loop runs.
    // Recounts the selected scenes into the active playlist's scenesSelected.
    void updateScenesSelected();
    // What the save handlers do: store the selection, save the configuration.
    void saveWork();
    const ViewModelContext &context() const { return m_context; }

    // Emits messageRaised(text): for the item view models, whose own
    // interfaces stay as QML knows them.
    void raiseMessage(const QString &text) { emit messageRaised(text); }

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

private:
    enum class BulkSelection { Select, Deselect, Toggle };

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
    bool m_loadingSelection = false;   // the flags follow a playlist, not the user
    int m_batchDepth = 0;
    CScenesFilterViewModel::SceneAspects m_batchedAspects;
};

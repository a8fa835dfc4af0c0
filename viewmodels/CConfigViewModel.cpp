#include "CConfigViewModel.h"

#include "BulkSceneEdit.h"

#include "CCfg.h"
#include "PropertySupport.h"
#include "SceneKinds.h"

#include <QHash>
#include <QMap>

#include <algorithm>
#include <functional>

namespace {

CConfigViewModel *programInstance = nullptr;

const char *const previewModeSwitch = "-f";
const char *const previewVRModeSwitch = "-v";
// The player shows a post-processing scene over this background.
const char *const postprocessingBackgroundPrefix = "[apppath]scenes/special/PostprocessingBackground.kvc;;";

} // namespace

CConfigViewModel::CConfigViewModel(QObject *parent)
    : CConfigViewModel(ViewModelContext(), parent)
{
}

CConfigViewModel::CConfigViewModel(const ViewModelContext &context, QObject *parent)
    : QObject(parent)
    , m_context(context)
    , m_settings(m_context.config)
    , m_filteredScenes(new CScenesFilterViewModel(nullptr))
{
    m_storeTimer.setSingleShot(true);
    m_storeTimer.setInterval(storeSelectionDelayMs);
    connect(&m_storeTimer, &QTimer::timeout, this, &CConfigViewModel::storeSelection);
    // The details pane and a preview show a scene the user can see.
    connect(m_filteredScenes, &QAbstractItemModel::rowsRemoved, this, &CConfigViewModel::dropActiveSceneIfHidden);
    connect(m_filteredScenes, &QAbstractItemModel::modelReset, this, &CConfigViewModel::dropActiveSceneIfHidden);
    connect(m_filteredScenes, &QAbstractItemModel::layoutChanged, this, &CConfigViewModel::dropActiveSceneIfHidden);
    m_facetTimer.setSingleShot(true);
    m_facetTimer.setInterval(0);
    connect(&m_facetTimer, &QTimer::timeout, this, &CConfigViewModel::updateFacetCounts);
    connect(m_filteredScenes, &CScenesFilterViewModel::shownScenesChanged, this, &CConfigViewModel::updateFacetCounts);

    m_history = new EditHistory(this);
    if (!m_context.undoDirectory.isEmpty())
        m_backups = std::make_unique<SceneFileBackups>(m_context.undoDirectory);
    // The message stays tied while its step is the newest: an undo or a new
    // step unties it, a stale older step dropped does not.
    auto untie = [this] {
        if (m_undoMessage.isEmpty())
            return;
        m_undoMessage.clear();
        emit undoMessageChanged();
    };
    connect(m_history, &EditHistory::changed, this, [this, untie] {
        if (!m_recordingStep && m_history->undoText() != m_undoStepText)
            untie();
    });
    connect(m_history, &EditHistory::undone, this, [this, untie](const QString &text) {
        untie();
        emit noticeRaised(tr("Undone: %1.").arg(text));
    });
    connect(m_history, &EditHistory::undoFailed, this, [this, untie](const QString &text, const QString &problem) {
        untie();
        emit messageRaised(tr("Could not undo %1: %2").arg(text, problem));
    });
}

CConfigViewModel::~CConfigViewModel()
{
    // Its tasks finish the file they are writing; no scene is shown changed.
    delete m_bulkEdit;
    // Its steps let go of their backups while the backups still exist.
    delete m_history;
    m_history = nullptr;
    if (programInstance == this)
        programInstance = nullptr;
}

CConfigViewModel *CConfigViewModel::instance()
{
    return programInstance;
}

void CConfigViewModel::setInstance(CConfigViewModel *viewModel)
{
    programInstance = viewModel;
}

void CConfigViewModel::handleAboutToQuit()
{
    CConfigViewModel *viewModel = instance();
    if (!viewModel)
        return;
    // No file is started after this; the ones being written are finished
    // before the process ends.
    delete viewModel->m_bulkEdit;
    viewModel->m_bulkEdit = nullptr;
    viewModel->m_history->clear();
    viewModel->saveWork();
}

void CConfigViewModel::handleApplicationStateChanged(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive)
        return;
    if (CConfigViewModel *viewModel = instance())
        viewModel->saveWork();
}

void CConfigViewModel::saveWork()
{
    storeSelection();
    m_context.saveConfiguration();
}

// ---- Settings: PlayerSettings converts, this class tells QML --------------

void CConfigViewModel::setRandNextScene(bool value) { notifyIf(m_settings.setRandNextScene(value), &CConfigViewModel::randNextSceneChanged); }
void CConfigViewModel::setTransitionTime(float value) { notifyIf(m_settings.setTransitionTime(value), &CConfigViewModel::transitionTimeChanged); }
void CConfigViewModel::setMinSceneTime(float value) { notifyIf(m_settings.setMinSceneTime(value), &CConfigViewModel::minSceneTimeChanged); }
void CConfigViewModel::setMaxSceneTime(float value) { notifyIf(m_settings.setMaxSceneTime(value), &CConfigViewModel::maxSceneTimeChanged); }
void CConfigViewModel::setPostProcessingProbability(float value) { notifyIf(m_settings.setPostProcessingProbability(value), &CConfigViewModel::postProcessingProbabilityChanged); }
void CConfigViewModel::setTransitionFromScale(float value) { notifyIf(m_settings.setTransitionFromScale(value), &CConfigViewModel::transitionFromScaleChanged); }
void CConfigViewModel::setTransitionToScale(float value) { notifyIf(m_settings.setTransitionToScale(value), &CConfigViewModel::transitionToScaleChanged); }
void CConfigViewModel::setRenderTargetSize(float value) { notifyIf(m_settings.setRenderTargetSize(value), &CConfigViewModel::renderTargetSizeChanged); }
void CConfigViewModel::setRenderTargetSizeVR(float value) { notifyIf(m_settings.setRenderTargetSizeVR(value), &CConfigViewModel::renderTargetSizeVRChanged); }
void CConfigViewModel::setRenderTargetWidth(int value) { notifyIf(m_settings.setRenderTargetWidth(value), &CConfigViewModel::renderTargetWidthChanged); }
void CConfigViewModel::setRenderTargetHeight(int value) { notifyIf(m_settings.setRenderTargetHeight(value), &CConfigViewModel::renderTargetHeightChanged); }
void CConfigViewModel::setMaxSoundCaptureSilence(float value) { notifyIf(m_settings.setMaxSoundCaptureSilence(value), &CConfigViewModel::maxSoundCaptureSilenceChanged); }
void CConfigViewModel::setCaptureSound(bool value) { notifyIf(m_settings.setCaptureSound(value), &CConfigViewModel::captureSoundChanged); }
void CConfigViewModel::setEnablePreloader(bool value) { notifyIf(m_settings.setEnablePreloader(value), &CConfigViewModel::enablePreloaderChanged); }
void CConfigViewModel::setCaptureRecordingDevice(bool value) { notifyIf(m_settings.setCaptureRecordingDevice(value), &CConfigViewModel::captureRecordingDeviceChanged); }
void CConfigViewModel::setCheckForNewVersion(bool value) { notifyIf(m_settings.setCheckForNewVersion(value), &CConfigViewModel::checkForNewVersionChanged); }
void CConfigViewModel::setSendUsageStats(bool value) { notifyIf(m_settings.setSendUsageStats(value), &CConfigViewModel::sendUsageStatsChanged); }
void CConfigViewModel::setSceneChangeSilenceTime(float value) { notifyIf(m_settings.setSceneChangeSilenceTime(value), &CConfigViewModel::sceneChangeSilenceTimeChanged); }
void CConfigViewModel::setSceneChangeSilenceCooldownTime(float value) { notifyIf(m_settings.setSceneChangeSilenceCooldownTime(value), &CConfigViewModel::sceneChangeSilenceCooldownTimeChanged); }
void CConfigViewModel::setLayerScenesInVR(bool value) { notifyIf(m_settings.setLayerScenesInVR(value), &CConfigViewModel::layerScenesInVRChanged); }
void CConfigViewModel::setPreferOpenVR(bool value) { notifyIf(m_settings.setPreferOpenVR(value), &CConfigViewModel::preferOpenVRChanged); }

// ---- Catalogue, tags and selection -----------------------------------------

int CConfigViewModel::scenesSelected() const
{
    int count = 0;
    for (CSceneViewModel *scene : sceneObjects()) {
        if (scene->selected())
            ++count;
    }
    return count;
}

QString CConfigViewModel::playlistToRun() const
{
    return m_context.config->playlistToRun;
}

QQmlListProperty<CPlaylistViewModel> CConfigViewModel::playlists()
{
    return listProperty(this, &m_playlists);
}

QQmlListProperty<CTagViewModel> CConfigViewModel::tags()
{
    return listProperty(this, &m_tags);
}

QMap<QString, int> CConfigViewModel::tagCounts(const QList<CSceneViewModel *> &scenes)
{
    // One pass into a hash; only the few distinct tags are sorted into the
    // map at the end. Types and filter words are counted as numbers, not as
    // names made per scene. The catalogue shares each tag's characters among
    // its scenes, so tags are counted by those first (hashing a pointer, not
    // the text of some 300,000 tags at 100,000 scenes) and merged by name
    // after; equal tags that do not share still end up in one count.
    QHash<const QChar *, QPair<QString, int>> byCharacters;
    int ofType[SceneKinds::Transition + 1] = {};
    int user = 0;
    int noRelicensing = 0;
    for (const CSceneViewModel *scene : scenes) {
        if (!scene)
            continue;
        for (const QString &tag : scene->scene().tagList) {
            QPair<QString, int> &hit = byCharacters[tag.constData()];
            if (hit.second++ == 0)
                hit.first = tag;
        }
        ++ofType[scene->sceneType()];
        if (!scene->official())
            ++user;
        if (!scene->relicensingPossible())
            ++noRelicensing;
    }
    QHash<QString, int> tagHits;
    for (const QPair<QString, int> &hit : qAsConst(byCharacters))
        tagHits[hit.first] += hit.second;
    const QStringList &reserved = SceneKinds::reservedTagNames();
    QMap<QString, int> counts;
    for (auto it = tagHits.cbegin(); it != tagHits.cend(); ++it) {
        if (!reserved.contains(it.key()))
            counts.insert(it.key(), it.value());
    }
    for (int type = SceneKinds::Standalone; type <= SceneKinds::Transition; ++type) {
        if (ofType[type])
            counts[SceneKinds::typeName(SceneKinds::Type(type))] += ofType[type];
    }
    if (user)
        counts[SceneKinds::filterWordName(SceneKinds::User)] += user;
    if (noRelicensing)
        counts[SceneKinds::filterWordName(SceneKinds::NoRelicensing)] += noRelicensing;
    counts[SceneKinds::filterWordName(SceneKinds::Selected)] = scenes.size() + 2;
    counts[SceneKinds::filterWordName(SceneKinds::NotSelected)] = scenes.size() + 1;
    return counts;
}

// Highest score first; tags of equal score by name, so the order is fixed.
void CConfigViewModel::sortTags(QList<CTagViewModel *> &tags)
{
    std::sort(tags.begin(), tags.end(), [](const CTagViewModel *a, const CTagViewModel *b) {
        return a->score() != b->score() ? a->score() > b->score() : a->name() < b->name();
    });
}

QList<CTagViewModel *> CConfigViewModel::buildTagList(const QList<CSceneViewModel *> &scenes)
{
    const QMap<QString, int> counts = tagCounts(scenes);
    QList<CTagViewModel *> tags;
    tags.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        tags.append(new CTagViewModel(it.key(), float(it.value())));
    sortTags(tags);
    return tags;
}

void CConfigViewModel::setAllScenes(QObjectListModel *model)
{
    m_allScenes = model;
    m_filteredScenes->setSourceModel(model);
    for (CSceneViewModel *scene : sceneObjects())
        watchScene(scene);
    // Scenes listed later (imported, added on disk) are watched as well; a
    // list installed again replaces the hook rather than adding a second.
    disconnect(m_listedLaterHook);
    if (model) {
        m_listedLaterHook = connect(model, &QAbstractItemModel::rowsInserted, this, [this, model](const QModelIndex &, int first, int last) {
            for (int row = first; row <= last; ++row) {
                if (auto *scene = qobject_cast<CSceneViewModel *>(model->at(row)))
                    watchScene(scene);
            }
        });
    }
    m_facetTimer.start();
}

// Receives every watched scene's changes for one configuration view model.
// A separate object, so the view model's own interface stays as QML and its
// callers know it.
class CConfigViewModelSceneRelay : public SceneWatcher
{
public:
    using Handler = std::function<void(CSceneViewModel *scene, Change change)>;
    CConfigViewModelSceneRelay(QObject *parent, Handler handler) : SceneWatcher(parent), m_handler(std::move(handler)) {}

    void sceneChanged(CSceneViewModel *scene, Change change) override { m_handler(scene, change); }

private:
    Handler m_handler;
};

// A scene's change may change the playlist's count and what the filter shows,
// whoever made it: a bulk operation here, or QML on one scene.
void CConfigViewModel::watchScene(CSceneViewModel *scene)
{
    if (!m_sceneRelay) {
        m_sceneRelay = new CConfigViewModelSceneRelay(
            this, [this](CSceneViewModel *changed, SceneWatcher::Change change) { watchedSceneChanged(changed, change); });
    }
    scene->setWatcher(m_sceneRelay);
}

void CConfigViewModel::watchedSceneChanged(CSceneViewModel *scene, SceneWatcher::Change change)
{
    switch (change) {
    case SceneWatcher::Change::Selection:
        scheduleStore();
        sceneChanged(scene, CScenesFilterViewModel::Selection);
        break;
    case SceneWatcher::Change::Tags:
        sceneChanged(scene, CScenesFilterViewModel::Tags);
        break;
    case SceneWatcher::Change::Relicensing:
        sceneChanged(scene, CScenesFilterViewModel::Relicensing);
        break;
    }
}

// The filter reads only the scenes named here again, so an edit of one scene
// in a large catalogue costs one scene.
void CConfigViewModel::sceneChanged(const QObject *scene, CScenesFilterViewModel::SceneAspects aspects)
{
    m_filteredScenes->markSceneChanged(scene);
    applySceneChanges(aspects);
}

void CConfigViewModel::applySceneChanges(CScenesFilterViewModel::SceneAspects aspects)
{
    if (m_batchDepth > 0) {
        m_batchedAspects |= aspects;
        return;
    }
    if (aspects & CScenesFilterViewModel::Selection)
        updateScenesSelected();
    if (aspects & (CScenesFilterViewModel::Tags | CScenesFilterViewModel::Relicensing))
        refreshTagList();
    m_filteredScenes->sceneChanged(aspects);
}

void CConfigViewModel::setFacetCountsHeld(bool held)
{
    m_facetCountsHeld = held;
    if (held && m_facetTimer.isActive()) {
        m_facetTimer.stop();
        m_facetCountsDue = true;
    }
    if (!held && m_facetCountsDue) {
        m_facetCountsDue = false;
        m_facetTimer.start();
    }
}

void CConfigViewModel::updateFacetCounts()
{
    m_facetTimer.stop();
    if (m_facetCountsHeld) {
        m_facetCountsDue = true;
        return;
    }
    if (m_tags.isEmpty())
        return;
    QStringList names;
    names.reserve(m_tags.size());
    for (const CTagViewModel *tag : qAsConst(m_tags))
        names.append(tag ? tag->name() : QString());
    const QVector<int> counts = m_filteredScenes->facetCounts(names);
    for (int i = 0; i < m_tags.size(); ++i) {
        if (m_tags.at(i))
            m_tags.at(i)->setFacetCount(counts.value(i));
    }
}

void CConfigViewModel::endSceneChangeBatch()
{
    if (--m_batchDepth > 0)
        return;
    const CScenesFilterViewModel::SceneAspects aspects = m_batchedAspects;
    m_batchedAspects = {};
    if (aspects)
        applySceneChanges(aspects);
}

void CConfigViewModel::setTags(const QList<CTagViewModel *> &list)
{
    m_tags = list;
    m_facetTimer.start();
}

QList<CSceneViewModel *> CConfigViewModel::sceneObjects() const
{
    QList<CSceneViewModel *> scenes;
    if (!m_allScenes)
        return scenes;
    const int count = m_allScenes->count();
    scenes.reserve(count);
    for (int row = 0; row < count; ++row) {
        if (auto *scene = qobject_cast<CSceneViewModel *>(m_allScenes->at(row)))
            scenes.append(scene);
    }
    return scenes;
}

void CConfigViewModel::searchScenes(QString filter)
{
    m_filteredScenes->filterText = filter;
    m_filteredScenes->refilter();
}

void CConfigViewModel::selectTag(QString tag, bool selected)
{
    for (CTagViewModel *candidate : qAsConst(m_tags)) {
        if (candidate && candidate->name() == tag) {
            candidate->setSelected(selected);
            break;
        }
    }

    QStringList terms;
    for (const CTagViewModel *candidate : qAsConst(m_tags)) {
        if (candidate && candidate->selected())
            terms.append(candidate->name());
    }
    m_filteredScenes->tagFilter = terms;
    m_filteredScenes->refilter();
    // A term no scene has any more stayed listed only to be cleared. Later,
    // so a caller walking the tag list does not see it shrink under it.
    if (!selected)
        QMetaObject::invokeMethod(this, &CConfigViewModel::refreshTagList, Qt::QueuedConnection);
}

// Each selected scene is edited on its own; the ones whose file could not be
// changed keep showing what their file holds and are named in one message.
void CConfigViewModel::addTag(QString tag)
{
    editSelectedScenes(SceneChange::addTag(tag), tr("The tag \u201c%1\u201d was not added to").arg(tag));
}

void CConfigViewModel::removeTag(QString tag)
{
    editSelectedScenes(SceneChange::removeTag(tag), tr("The tag \u201c%1\u201d was not removed from").arg(tag));
}

void CConfigViewModel::relicensingPossible(bool value)
{
    editSelectedScenes(SceneChange::setRelicensing(value), tr("Relicensing was not changed for"));
}

void CConfigViewModel::editSelectedScenes(const SceneChange &change, const QString &failedWhat)
{
    if (refuseDuringBulkEdit())
        return;
    const SceneChangeBatch batch(*this);
    QStringList failures;
    QList<KeptScene> edits;
    for (CSceneViewModel *scene : sceneObjects()) {
        if (!scene->selected())
            continue;
        SceneFileBackups::Kept kept;
        const QString problem = scene->applyChange(change, m_backups.get(), &kept);
        if (problem.isEmpty())
            edits.append({scene, kept});
        else
            failures.append(tr("\u201c%1\u201d (%2)").arg(scene->displayName(), problem));
    }
    QString message = editDoneText(change, sceneCount(edits.size()));
    if (!failures.isEmpty())
        message += QLatin1Char(' ') + failureSummary(failedWhat, failures);
    if (!recordSceneEdits(editStepText(change, sceneCount(edits.size())), message, failures.isEmpty(), edits))
        reportEditFailures(failedWhat, failures);
}

void CConfigViewModel::reportEditFailures(const QString &what, const QStringList &failures)
{
    if (!failures.isEmpty())
        emit messageRaised(failureSummary(what, failures));
}

QString CConfigViewModel::failureSummary(const QString &what, const QStringList &failures) const
{
    if (failures.isEmpty())
        return QString();
    // A message stays short enough to read in passing however many failed.
    constexpr int namedAtMost = 3;
    QString text = what + QLatin1Char(' ');
    if (failures.size() > 1)
        text += tr("%1 scenes: ").arg(failures.size());
    text += QStringList(failures.mid(0, namedAtMost)).join(QStringLiteral("; "));
    if (failures.size() > namedAtMost)
        text += tr(" and %1 more").arg(failures.size() - namedAtMost);
    text += QLatin1Char('.');
    return text;
}

void CConfigViewModel::selectAllScenes()
{
    applyToVisibleScenes(BulkSelection::Select);
}

void CConfigViewModel::deselectAllScenes()
{
    applyToVisibleScenes(BulkSelection::Deselect);
}

void CConfigViewModel::toggleAllScenes()
{
    applyToVisibleScenes(BulkSelection::Toggle);
}

void CConfigViewModel::applyToVisibleScenes(BulkSelection operation)
{
    if (!m_activePlaylist)
        return;
    QList<QPointer<CSceneViewModel>> before;
    for (CSceneViewModel *scene : sceneObjects()) {
        if (scene->selected())
            before.append(scene);
    }
    int changed = 0;
    {
        // The filter runs again only after the last scene, so the rows walked
        // are the ones visible when the operation began.
        const SceneChangeBatch batch(*this);
        if (m_allScenes) {
            for (int row = 0; row < m_filteredScenes->rowCount(); ++row) {
                const QModelIndex source = m_filteredScenes->mapToSource(m_filteredScenes->index(row, 0));
                auto *scene = qobject_cast<CSceneViewModel *>(m_allScenes->at(source.row()));
                if (!scene)
                    continue;
                const bool was = scene->selected();
                switch (operation) {
                case BulkSelection::Select:
                    scene->setSelected(true);
                    break;
                case BulkSelection::Deselect:
                    scene->setSelected(false);
                    break;
                case BulkSelection::Toggle:
                    scene->setSelected(!scene->selected());
                    break;
                }
                changed += scene->selected() != was;
            }
        }
        updateScenesSelected();
    }
    if (changed > 0)
        recordTicks(operation, changed, before);
}

void CConfigViewModel::updateScenesSelected()
{
    if (m_activePlaylist)
        m_activePlaylist->setScenesSelected(scenesSelected());
}

void CConfigViewModel::setActiveScene(CSceneViewModel *activeScene)
{
    assignAndNotify(this, m_activeScene, activeScene, &CConfigViewModel::activeSceneChanged);
}

// ---- Previews --------------------------------------------------------------

void CConfigViewModel::previewSelectedScene()
{
    previewActiveScene(QLatin1String(previewModeSwitch));
}

void CConfigViewModel::previewSelectedSceneVR()
{
    previewActiveScene(QLatin1String(previewVRModeSwitch));
}

void CConfigViewModel::previewActiveScene(const QString &modeSwitch)
{
    // Without the application there is no player to start.
    if (!m_activeScene)
        return;
    if (!m_activeScene->readable()) {
        emit messageRaised(tr("The scene \u201c%1\u201d cannot be previewed: %2.")
                               .arg(m_activeScene->fileName(), m_activeScene->loadError()));
        return;
    }
    if (m_context.player.workingDirectory().isEmpty())
        return;

    // The player reads the settings as they stand in memory.
    m_context.saveConfiguration();

    QString sceneArgument = m_activeScene->filepath();
    if (m_activeScene->sceneType() == SceneKinds::Postprocessing)
        sceneArgument.prepend(QLatin1String(postprocessingBackgroundPrefix));
    m_context.player.start({modeSwitch, QLatin1String(PlayerLauncher::sceneOption), sceneArgument});
}


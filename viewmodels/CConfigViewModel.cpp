#include "CConfigViewModel.h"

#include "CAppTypeQt.h"
#include "CCfg.h"
#include "PlayerLauncher.h"
#include "PropertySupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMap>
#include <QSet>

#include <algorithm>
#include <cmath>

namespace {

CConfigViewModel *programInstance = nullptr;

// Differences up to this much between a shown percentage and a new value
// are rounding noise, not a change.
constexpr float percentTolerance = 0.00001f;

const char *const previewModeSwitch = "-f";
const char *const previewVRModeSwitch = "-v";
const char *const sceneOption = "--scene";
// The player shows a post-processing scene over this background.
const char *const postprocessingBackgroundPrefix = "[apppath]scenes/special/PostprocessingBackground.kvc;;";

CCfg *detachedConfig()
{
    static CCfg config;
    return &config;
}

float percentOf(float fraction)
{
    return float(double(fraction) * 100.0);
}

bool percentDiffers(float value, float shown)
{
    return std::fabs(value - shown) > percentTolerance;
}

// Truncates toward zero. Values the integer cannot hold saturate and NaN
// gives 0, instead of the undefined result of a plain conversion.
qint32 truncateToInt32(double value)
{
    if (std::isnan(value))
        return 0;
    if (value >= 2147483648.0)
        return std::numeric_limits<qint32>::max();
    if (value <= -2147483649.0)
        return std::numeric_limits<qint32>::min();
    return qint32(value);
}

// Exact comparison with the shown float, stored truncated: 7.9 over a stored
// 7 stores 7 again and still counts as a change. True when it stored.
bool storeWhole(qint32 &field, float value)
{
    if (value == float(field))
        return false;
    field = truncateToInt32(value);
    return true;
}

// A percentage shown for a stored fraction; rounding noise is no change.
// True when it stored.
bool storePercent(float &field, float value)
{
    if (!percentDiffers(value, percentOf(field)))
        return false;
    field = value * 0.01f;
    return true;
}

} // namespace

CConfigViewModel::CConfigViewModel(QObject *parent)
    : QObject(parent)
    , m_config(gApp ? gApp->Config() : detachedConfig())
    , m_filteredScenes(new CScenesFilterViewModel(nullptr))
{
    m_storeTimer.setSingleShot(true);
    m_storeTimer.setInterval(storeSelectionDelayMs);
    connect(&m_storeTimer, &QTimer::timeout, this, &CConfigViewModel::storeSelection);
}

CConfigViewModel::~CConfigViewModel()
{
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
    if (!gApp || !viewModel)
        return;
    viewModel->storeSelection();
    saveConfiguration();
}

void CConfigViewModel::handleApplicationStateChanged(Qt::ApplicationState state)
{
    if (state == Qt::ApplicationActive)
        return;
    handleAboutToQuit();
}

void CConfigViewModel::saveConfiguration()
{
    if (gApp)
        gApp->Config()->Save(gApp->ConfigPath());
}

// ---- Settings --------------------------------------------------------------

bool CConfigViewModel::randNextScene() const { return m_config->randNextScene; }
float CConfigViewModel::transitionTime() const { return m_config->transitionTime; }
float CConfigViewModel::transitionFromScale() const { return percentOf(m_config->transitionFromScale); }
float CConfigViewModel::transitionToScale() const { return percentOf(m_config->transitionToScale); }
float CConfigViewModel::renderTargetSize() const { return float(m_config->renderTargetWidth * 100.0); }
float CConfigViewModel::renderTargetSizeVR() const { return percentOf(m_config->renderTargetSizeVR); }
int CConfigViewModel::renderTargetWidth() const { return truncateToInt32(m_config->renderTargetWidth); }
int CConfigViewModel::renderTargetHeight() const { return truncateToInt32(m_config->renderTargetHeight); }
float CConfigViewModel::minSceneTime() const { return float(m_config->minSceneTime); }
float CConfigViewModel::maxSceneTime() const { return float(m_config->maxSceneTime); }
float CConfigViewModel::sceneChangeSilenceTime() const { return m_config->sceneChangeSilenceTime; }
float CConfigViewModel::sceneChangeSilenceCooldownTime() const { return m_config->sceneChangeSilenceCooldownTime; }
float CConfigViewModel::postProcessingProbability() const { return percentOf(m_config->postProcessingProbability); }
float CConfigViewModel::maxSoundCaptureSilence() const { return float(m_config->maxSoundCaptureSilence); }
bool CConfigViewModel::layerScenesInVR() const { return m_config->layerScenesInVR; }
bool CConfigViewModel::captureSound() const { return m_config->captureSound; }
bool CConfigViewModel::enablePreloader() const { return m_config->enablePreloader; }
bool CConfigViewModel::captureRecordingDevice() const { return m_config->captureRecordingDevice; }
bool CConfigViewModel::checkForNewVersion() const { return m_config->checkForNewVersion; }
bool CConfigViewModel::sendUsageStats() const { return m_config->sendUsageStats; }
bool CConfigViewModel::preferOpenVR() const { return m_config->preferOpenVR; }

void CConfigViewModel::setRandNextScene(bool randNextScene)
{
    assignAndNotify(this, m_config->randNextScene, randNextScene, &CConfigViewModel::randNextSceneChanged);
}

void CConfigViewModel::setTransitionTime(float transitionTime)
{
    assignAndNotify(this, m_config->transitionTime, transitionTime, &CConfigViewModel::transitionTimeChanged);
}

void CConfigViewModel::setMinSceneTime(float minSceneTime)
{
    if (storeWhole(m_config->minSceneTime, minSceneTime))
        emit minSceneTimeChanged();
}

void CConfigViewModel::setMaxSceneTime(float maxSceneTime)
{
    if (storeWhole(m_config->maxSceneTime, maxSceneTime))
        emit maxSceneTimeChanged();
}

void CConfigViewModel::setPostProcessingProbability(float value)
{
    if (storePercent(m_config->postProcessingProbability, value))
        emit postProcessingProbabilityChanged();
}

void CConfigViewModel::setTransitionFromScale(float value)
{
    if (storePercent(m_config->transitionFromScale, value))
        emit transitionFromScaleChanged();
}

void CConfigViewModel::setTransitionToScale(float value)
{
    if (storePercent(m_config->transitionToScale, value))
        emit transitionToScaleChanged();
}

void CConfigViewModel::setRenderTargetSize(float value)
{
    if (!percentDiffers(value, renderTargetSize()))
        return;
    const double fraction = double(value * 0.01f);
    m_config->renderTargetWidth = fraction;
    m_config->renderTargetHeight = fraction;
    emit renderTargetSizeChanged();
}

void CConfigViewModel::setRenderTargetSizeVR(float value)
{
    if (storePercent(m_config->renderTargetSizeVR, value))
        emit renderTargetSizeVRChanged();
}

void CConfigViewModel::setRenderTargetWidth(int value)
{
    if (value == renderTargetWidth())
        return;
    m_config->renderTargetWidth = double(value);
    emit renderTargetWidthChanged();
}

void CConfigViewModel::setRenderTargetHeight(int value)
{
    if (value == renderTargetHeight())
        return;
    m_config->renderTargetHeight = double(value);
    emit renderTargetHeightChanged();
}

void CConfigViewModel::setMaxSoundCaptureSilence(float value)
{
    if (storeWhole(m_config->maxSoundCaptureSilence, value))
        emit maxSoundCaptureSilenceChanged();
}

void CConfigViewModel::setCaptureSound(bool value)
{
    assignAndNotify(this, m_config->captureSound, value, &CConfigViewModel::captureSoundChanged);
}

void CConfigViewModel::setEnablePreloader(bool value)
{
    assignAndNotify(this, m_config->enablePreloader, value, &CConfigViewModel::enablePreloaderChanged);
}

void CConfigViewModel::setCaptureRecordingDevice(bool value)
{
    assignAndNotify(this, m_config->captureRecordingDevice, value, &CConfigViewModel::captureRecordingDeviceChanged);
}

void CConfigViewModel::setCheckForNewVersion(bool value)
{
    assignAndNotify(this, m_config->checkForNewVersion, value, &CConfigViewModel::checkForNewVersionChanged);
}

void CConfigViewModel::setSendUsageStats(bool value)
{
    assignAndNotify(this, m_config->sendUsageStats, value, &CConfigViewModel::sendUsageStatsChanged);
}

void CConfigViewModel::setSceneChangeSilenceTime(float value)
{
    assignAndNotify(this, m_config->sceneChangeSilenceTime, value, &CConfigViewModel::sceneChangeSilenceTimeChanged);
}

void CConfigViewModel::setSceneChangeSilenceCooldownTime(float value)
{
    assignAndNotify(this, m_config->sceneChangeSilenceCooldownTime, value,
                    &CConfigViewModel::sceneChangeSilenceCooldownTimeChanged);
}

void CConfigViewModel::setLayerScenesInVR(bool value)
{
    assignAndNotify(this, m_config->layerScenesInVR, value, &CConfigViewModel::layerScenesInVRChanged);
}

void CConfigViewModel::setPreferOpenVR(bool value)
{
    assignAndNotify(this, m_config->preferOpenVR, value, &CConfigViewModel::preferOpenVRChanged);
}

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
    return m_config->playlistToRun;
}

QQmlListProperty<CPlaylistViewModel> CConfigViewModel::playlists()
{
    return listProperty(this, &m_playlists);
}

QQmlListProperty<CTagViewModel> CConfigViewModel::tags()
{
    return listProperty(this, &m_tags);
}

const QStringList &CConfigViewModel::reservedTagNames()
{
    static const QStringList names = {
        QStringLiteral("Official"),      QStringLiteral("User"),       QStringLiteral("Background"),
        QStringLiteral("Foreground"),    QStringLiteral("Postprocessing"), QStringLiteral("Transition"),
        QStringLiteral("Standalone"),    QStringLiteral("NoRelicensing"),  QStringLiteral("Selected"),
        QStringLiteral("NotSelected"),
    };
    return names;
}

QList<CTagViewModel *> CConfigViewModel::buildTagList(const QList<CSceneViewModel *> &scenes)
{
    const QStringList &reserved = reservedTagNames();
    // Ordered by name, so that tags of equal score come out in a fixed order.
    QMap<QString, int> counts;
    for (const CSceneViewModel *scene : scenes) {
        if (!scene)
            continue;
        for (const QString &tag : scene->tags()) {
            if (!reserved.contains(tag))
                ++counts[tag];
        }
        ++counts[scene->type()];
        if (!scene->official())
            ++counts[QStringLiteral("User")];
        if (!scene->relicensingPossible())
            ++counts[QStringLiteral("NoRelicensing")];
    }
    counts[QStringLiteral("Selected")] = scenes.size() + 2;
    counts[QStringLiteral("NotSelected")] = scenes.size() + 1;

    QList<CTagViewModel *> tags;
    tags.reserve(counts.size());
    for (auto it = counts.cbegin(); it != counts.cend(); ++it)
        tags.append(new CTagViewModel(it.key(), float(it.value())));
    std::stable_sort(tags.begin(), tags.end(),
                     [](const CTagViewModel *a, const CTagViewModel *b) { return a->score() > b->score(); });
    return tags;
}

void CConfigViewModel::setAllScenes(QObjectListModel *model)
{
    m_allScenes = model;
    m_filteredScenes->setSourceModel(model);
    for (CSceneViewModel *scene : sceneObjects()) {
        connect(scene, &CSceneViewModel::selectedChanged, this, &CConfigViewModel::scheduleStore,
                Qt::UniqueConnection);
    }
}

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
        if (playlist && playlist->filepath() == m_config->playlistToRun)
            setActivePlaylist(playlist);
    }
}

void CConfigViewModel::watchPlaylist(CPlaylistViewModel *playlist)
{
    connect(playlist, &CPlaylistViewModel::problemRaised, this, &CConfigViewModel::messageRaised,
            Qt::UniqueConnection);
}

void CConfigViewModel::raiseMessageLater(const QString &text)
{
    QMetaObject::invokeMethod(this, [this, text] { emit messageRaised(text); }, Qt::QueuedConnection);
}

void CConfigViewModel::scheduleStore()
{
    if (m_activePlaylist && !m_loadingSelection)
        m_storeTimer.start();
}

void CConfigViewModel::setTags(const QList<CTagViewModel *> &list)
{
    m_tags = list;
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
}

// Each selected scene is edited on its own; the ones whose file could not be
// changed keep showing what their file holds and are named in one message.
void CConfigViewModel::addTag(QString tag)
{
    QStringList failures;
    for (CSceneViewModel *scene : sceneObjects()) {
        if (!scene->selected())
            continue;
        const QString problem = scene->applyAddTag(tag);
        if (!problem.isEmpty())
            failures.append(tr("\u201c%1\u201d (%2)").arg(scene->displayName(), problem));
    }
    reportEditFailures(tr("The tag \u201c%1\u201d was not added to").arg(tag), failures);
}

void CConfigViewModel::removeTag(QString tag)
{
    QStringList failures;
    for (CSceneViewModel *scene : sceneObjects()) {
        if (!scene->selected())
            continue;
        const QString problem = scene->applyRemoveTag(tag);
        if (!problem.isEmpty())
            failures.append(tr("\u201c%1\u201d (%2)").arg(scene->displayName(), problem));
    }
    reportEditFailures(tr("The tag \u201c%1\u201d was not removed from").arg(tag), failures);
}

void CConfigViewModel::relicensingPossible(bool value)
{
    QStringList failures;
    for (CSceneViewModel *scene : sceneObjects()) {
        if (!scene->selected())
            continue;
        const QString problem = scene->applyRelicensingPossible(value);
        if (!problem.isEmpty())
            failures.append(tr("\u201c%1\u201d (%2)").arg(scene->displayName(), problem));
    }
    reportEditFailures(tr("Relicensing was not changed for"), failures);
}

void CConfigViewModel::reportEditFailures(const QString &what, const QStringList &failures)
{
    if (failures.isEmpty())
        return;
    // A message stays short enough to read in passing however many failed.
    constexpr int namedAtMost = 3;
    QString text = what + QLatin1Char(' ');
    if (failures.size() > 1)
        text += tr("%n scene(s): ", nullptr, failures.size());
    text += QStringList(failures.mid(0, namedAtMost)).join(QStringLiteral("; "));
    if (failures.size() > namedAtMost)
        text += tr(" and %n more", nullptr, failures.size() - namedAtMost);
    text += QLatin1Char('.');
    emit messageRaised(text);
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
    if (m_allScenes) {
        for (int row = 0; row < m_filteredScenes->rowCount(); ++row) {
            const QModelIndex source = m_filteredScenes->mapToSource(m_filteredScenes->index(row, 0));
            auto *scene = qobject_cast<CSceneViewModel *>(m_allScenes->at(source.row()));
            if (!scene)
                continue;
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
        }
    }
    updateScenesSelected();
}

void CConfigViewModel::updateScenesSelected()
{
    if (m_activePlaylist)
        m_activePlaylist->setScenesSelected(scenesSelected());
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

void CConfigViewModel::setActiveScene(CSceneViewModel *activeScene)
{
    assignAndNotify(this, m_activeScene, activeScene, &CConfigViewModel::activeSceneChanged);
}

// ---- Playlists -------------------------------------------------------------

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
    assignAndNotify(this, m_config->playlistToRun, playlist, &CConfigViewModel::playlistToRunChanged);
}

void CConfigViewModel::addPlaylist(QString name)
{
    const QString problem = CPlaylistViewModel::nameProblem(name);
    if (!problem.isEmpty()) {
        emit messageRaised(tr("Playlist \u201c%1\u201d was not created: %2").arg(name, problem));
        return;
    }

    QString candidate = name;
    QString path = CPlaylistViewModel::filePathForName(candidate);
    for (int n = 1; !path.isEmpty() && QFileInfo::exists(path); ++n) {
        candidate = name + QLatin1Char(' ') + QString::number(n);
        path = CPlaylistViewModel::filePathForName(candidate);
    }
    // Without the application object, or when every free candidate would be
    // too long to be a file name, nothing is created.
    if (path.isEmpty()) {
        emit messageRaised(tr("Playlist \u201c%1\u201d was not created: no free file name is left for it.").arg(name));
        return;
    }

    // Nothing changes unless the file exists: a playlist without one would
    // become the player's playlist and lose the selection stored into it.
    QDir().mkpath(CPlaylistViewModel::playlistDirectory());
    auto *playlist = new CPlaylistViewModel(path, candidate);
    if (!playlist->save(true)) {
        delete playlist;
        emit messageRaised(
            tr("Playlist \u201c%1\u201d was not created: the file could not be written.").arg(candidate));
        return;
    }
    watchPlaylist(playlist);

    m_playlists.append(playlist);
    emit playlistsChanged();

    setPlaylistToRun(playlist->filepath());
    setActivePlaylist(playlist);
}

void CConfigViewModel::deletePlaylist(QString name)
{
    const QString path = CPlaylistViewModel::filePathForName(name);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;

    // A file that stays would bring the playlist back at the next start.
    if (!QFile::remove(path)) {
        emit messageRaised(tr("Playlist \u201c%1\u201d was not deleted: the file could not be removed.").arg(name));
        return;
    }

    for (int i = 0; i < m_playlists.size(); ++i) {
        if (m_playlists.at(i) && m_playlists.at(i)->name() == name) {
            m_playlists.removeAt(i);
            emit playlistsChanged();
            break;
        }
    }

    if (!m_activePlaylist || !CPlaylistViewModel::isSamePath(m_activePlaylist->filepath(), path))
        return;

    // The deleted playlist stops being active without the selection being
    // stored into it, so its file stays deleted.
    m_storeTimer.stop();
    m_activePlaylist = nullptr;
    if (m_playlists.isEmpty()) {
        setPlaylistToRun(QString());
        emit activePlaylistChanged();
        return;
    }

    CPlaylistViewModel *first = m_playlists.first();
    if (first)
        setPlaylistToRun(first->filepath());
    setActivePlaylist(first);
}

void CConfigViewModel::viewPlaylist(QString name, QString mode)
{
    const QString path = CPlaylistViewModel::filePathForName(name);
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return;

    saveConfiguration();
    // The player resolves the placeholder itself.
    PlayerLauncher::start(
        {QLatin1Char('-') + mode, QLatin1String(sceneOption), CPlaylistViewModel::placeholderPathForName(name)});
}

QString CConfigViewModel::playlistNameProblem(QString name) const
{
    return CPlaylistViewModel::nameProblem(name);
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
    if (!m_activeScene || !gApp)
        return;

    // The player reads the settings as they stand in memory.
    saveConfiguration();

    QString sceneArgument = m_activeScene->filepath();
    if (CSceneViewModel::typeBit(m_activeScene->scene().typeFlags) == CScene::Postprocessing)
        sceneArgument.prepend(QLatin1String(postprocessingBackgroundPrefix));
    PlayerLauncher::start({modeSwitch, QLatin1String(sceneOption), sceneArgument});
}

#include "CConfigViewModel.h"

#include "CAppTypeQt.h"
#include "CCfg.h"
#include "PlayerLauncher.h"
#include "PropertySupport.h"

#include <QMap>

#include <algorithm>
#include <cmath>

namespace {

CConfigViewModel *programInstance = nullptr;

// Differences up to this much between a shown percentage and a new value
// are rounding noise, not a change.
constexpr float percentTolerance = 0.00001f;

const char *const previewModeSwitch = "-f";
const char *const previewVRModeSwitch = "-v";
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
        text += tr("%1 scenes: ").arg(failures.size());
    text += QStringList(failures.mid(0, namedAtMost)).join(QStringLiteral("; "));
    if (failures.size() > namedAtMost)
        text += tr(" and %1 more").arg(failures.size() - namedAtMost);
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
    if (!m_activeScene || !gApp)
        return;

    // The player reads the settings as they stand in memory.
    saveConfiguration();

    QString sceneArgument = m_activeScene->filepath();
    if (CSceneViewModel::typeBit(m_activeScene->scene().typeFlags) == CScene::Postprocessing)
        sceneArgument.prepend(QLatin1String(postprocessingBackgroundPrefix));
    PlayerLauncher::start({modeSwitch, QLatin1String(PlayerLauncher::sceneOption), sceneArgument});
}

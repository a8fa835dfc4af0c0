#include "CConfigViewModel.h"

#include "CCfg.h"
#include "CSceneViewModel.h"
#include "PlayerSettings.h"
#include "QObjectListModel.h"

#include <algorithm>

void CConfigViewModel::selectVisibleRange(int from, int to)
{
    if (!m_activePlaylist || !m_allScenes)
        return;
    const int rows = m_filteredScenes->rowCount();
    const int first = std::max(0, std::min(from, to));
    const int last = std::min(rows - 1, std::max(from, to));
    if (first > last)
        return;
    // The filter runs again only after the last scene, so the rows walked
    // are the ones visible when the range was chosen.
    const SceneChangeBatch batch(*this);
    for (int row = first; row <= last; ++row) {
        const QModelIndex source = m_filteredScenes->mapToSource(m_filteredScenes->index(row, 0));
        if (auto *scene = qobject_cast<CSceneViewModel *>(m_allScenes->at(source.row())))
            scene->setSelected(true);
    }
    updateScenesSelected();
}

void CConfigViewModel::resetSettingsToDefaults()
{
    // The defaults are the record's own initial values, read through the
    // same conversions the settings show, so each setter compares like
    // with like.
    CCfg fresh;
    const PlayerSettings defaults(&fresh);
    setRandNextScene(defaults.randNextScene());
    setTransitionTime(defaults.transitionTime());
    setTransitionFromScale(defaults.transitionFromScale());
    setTransitionToScale(defaults.transitionToScale());
    // The size and the two edges share the record's edge fields: the size
    // sets both edges to the default fraction, then each edge is set on its
    // own (a record may hold a different height), and each of the three
    // announces a change of what it shows, whichever setter made it.
    const float sizeBefore = renderTargetSize();
    const int widthBefore = renderTargetWidth();
    const int heightBefore = renderTargetHeight();
    m_settings.setRenderTargetSize(defaults.renderTargetSize());
    m_settings.setRenderTargetWidth(defaults.renderTargetWidth());
    m_settings.setRenderTargetHeight(defaults.renderTargetHeight());
    notifyIf(renderTargetSize() != sizeBefore, &CConfigViewModel::renderTargetSizeChanged);
    notifyIf(renderTargetWidth() != widthBefore, &CConfigViewModel::renderTargetWidthChanged);
    notifyIf(renderTargetHeight() != heightBefore, &CConfigViewModel::renderTargetHeightChanged);
    setRenderTargetSizeVR(defaults.renderTargetSizeVR());
    setMinSceneTime(defaults.minSceneTime());
    setMaxSceneTime(defaults.maxSceneTime());
    setSceneChangeSilenceTime(defaults.sceneChangeSilenceTime());
    setSceneChangeSilenceCooldownTime(defaults.sceneChangeSilenceCooldownTime());
    setPostProcessingProbability(defaults.postProcessingProbability());
    setMaxSoundCaptureSilence(defaults.maxSoundCaptureSilence());
    setLayerScenesInVR(defaults.layerScenesInVR());
    setCaptureSound(defaults.captureSound());
    setEnablePreloader(defaults.enablePreloader());
    setCaptureRecordingDevice(defaults.captureRecordingDevice());
    setCheckForNewVersion(defaults.checkForNewVersion());
    setSendUsageStats(defaults.sendUsageStats());
    setPreferOpenVR(defaults.preferOpenVR());
}

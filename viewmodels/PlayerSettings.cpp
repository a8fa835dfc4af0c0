#include "PlayerSettings.h"

#include "CCfg.h"

#include <cmath>
#include <limits>

namespace {

// Differences up to this much between a shown percentage and a new value
// are rounding noise, not a change.
constexpr float percentTolerance = 0.00001f;

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

// Plain == decides, so a NaN float always counts as a change.
template<typename Field, typename Value>
bool store(Field &field, Value value)
{
    if (value == field)
        return false;
    field = value;
    return true;
}

} // namespace

bool PlayerSettings::randNextScene() const { return m_config->randNextScene; }
float PlayerSettings::transitionTime() const { return m_config->transitionTime; }
float PlayerSettings::transitionFromScale() const { return percentOf(m_config->transitionFromScale); }
float PlayerSettings::transitionToScale() const { return percentOf(m_config->transitionToScale); }
float PlayerSettings::renderTargetSize() const { return float(m_config->renderTargetWidth * 100.0); }
float PlayerSettings::renderTargetSizeVR() const { return percentOf(m_config->renderTargetSizeVR); }
int PlayerSettings::renderTargetWidth() const { return truncateToInt32(m_config->renderTargetWidth); }
int PlayerSettings::renderTargetHeight() const { return truncateToInt32(m_config->renderTargetHeight); }
float PlayerSettings::minSceneTime() const { return float(m_config->minSceneTime); }
float PlayerSettings::maxSceneTime() const { return float(m_config->maxSceneTime); }
float PlayerSettings::sceneChangeSilenceTime() const { return m_config->sceneChangeSilenceTime; }
float PlayerSettings::sceneChangeSilenceCooldownTime() const { return m_config->sceneChangeSilenceCooldownTime; }
float PlayerSettings::postProcessingProbability() const { return percentOf(m_config->postProcessingProbability); }
float PlayerSettings::maxSoundCaptureSilence() const { return float(m_config->maxSoundCaptureSilence); }
bool PlayerSettings::layerScenesInVR() const { return m_config->layerScenesInVR; }
bool PlayerSettings::captureSound() const { return m_config->captureSound; }
bool PlayerSettings::enablePreloader() const { return m_config->enablePreloader; }
bool PlayerSettings::captureRecordingDevice() const { return m_config->captureRecordingDevice; }
bool PlayerSettings::checkForNewVersion() const { return m_config->checkForNewVersion; }
bool PlayerSettings::sendUsageStats() const { return m_config->sendUsageStats; }
bool PlayerSettings::preferOpenVR() const { return m_config->preferOpenVR; }

bool PlayerSettings::setRandNextScene(bool value) { return store(m_config->randNextScene, value); }
bool PlayerSettings::setTransitionTime(float value) { return store(m_config->transitionTime, value); }
bool PlayerSettings::setMinSceneTime(float value) { return storeWhole(m_config->minSceneTime, value); }
bool PlayerSettings::setMaxSceneTime(float value) { return storeWhole(m_config->maxSceneTime, value); }

bool PlayerSettings::setPostProcessingProbability(float value)
{
    return storePercent(m_config->postProcessingProbability, value);
}

bool PlayerSettings::setTransitionFromScale(float value) { return storePercent(m_config->transitionFromScale, value); }
bool PlayerSettings::setTransitionToScale(float value) { return storePercent(m_config->transitionToScale, value); }

bool PlayerSettings::setRenderTargetSize(float value)
{
    if (!percentDiffers(value, renderTargetSize()))
        return false;
    const double fraction = double(value * 0.01f);
    m_config->renderTargetWidth = fraction;
    m_config->renderTargetHeight = fraction;
    return true;
}

bool PlayerSettings::setRenderTargetSizeVR(float value) { return storePercent(m_config->renderTargetSizeVR, value); }

bool PlayerSettings::setRenderTargetWidth(int value)
{
    if (value == renderTargetWidth())
        return false;
    m_config->renderTargetWidth = double(value);
    return true;
}

bool PlayerSettings::setRenderTargetHeight(int value)
{
    if (value == renderTargetHeight())
        return false;
    m_config->renderTargetHeight = double(value);
    return true;
}

bool PlayerSettings::setMaxSoundCaptureSilence(float value) { return storeWhole(m_config->maxSoundCaptureSilence, value); }
bool PlayerSettings::setCaptureSound(bool value) { return store(m_config->captureSound, value); }
bool PlayerSettings::setEnablePreloader(bool value) { return store(m_config->enablePreloader, value); }
bool PlayerSettings::setCaptureRecordingDevice(bool value) { return store(m_config->captureRecordingDevice, value); }
bool PlayerSettings::setCheckForNewVersion(bool value) { return store(m_config->checkForNewVersion, value); }
bool PlayerSettings::setSendUsageStats(bool value) { return store(m_config->sendUsageStats, value); }
bool PlayerSettings::setSceneChangeSilenceTime(float value) { return store(m_config->sceneChangeSilenceTime, value); }

bool PlayerSettings::setSceneChangeSilenceCooldownTime(float value)
{
    return store(m_config->sceneChangeSilenceCooldownTime, value);
}

bool PlayerSettings::setLayerScenesInVR(bool value) { return store(m_config->layerScenesInVR, value); }
bool PlayerSettings::setPreferOpenVR(bool value) { return store(m_config->preferOpenVR, value); }

#pragma once

#include <QtGlobal>

class CCfg;

// The player's settings as the user sees them, read from and written into
// the configuration record in memory (saving it is not its business).
//
// Percent settings show the stored fraction times 100 and change only when
// the new value differs by more than 0.00001. Whole-number settings store
// the value truncated toward zero (saturating, NaN as 0). renderTargetSize
// stores its fraction in both render-target edges; the edges store whole
// numbers. Every setter returns whether it stored a change, so its owner
// emits the property's signal only then.
//
// Does not own the record.
class PlayerSettings
{
public:
    explicit PlayerSettings(CCfg *config) : m_config(config) {}

    bool randNextScene() const;
    float transitionTime() const;
    float transitionFromScale() const;
    float transitionToScale() const;
    float renderTargetSize() const;
    float renderTargetSizeVR() const;
    int renderTargetWidth() const;
    int renderTargetHeight() const;
    float minSceneTime() const;
    float maxSceneTime() const;
    float sceneChangeSilenceTime() const;
    float sceneChangeSilenceCooldownTime() const;
    float postProcessingProbability() const;
    float maxSoundCaptureSilence() const;
    bool layerScenesInVR() const;
    bool captureSound() const;
    bool enablePreloader() const;
    bool captureRecordingDevice() const;
    bool checkForNewVersion() const;
    bool sendUsageStats() const;
    bool preferOpenVR() const;

    bool setRandNextScene(bool value);
    bool setTransitionTime(float value);
    bool setMinSceneTime(float value);
    bool setMaxSceneTime(float value);
    bool setPostProcessingProbability(float value);
    bool setTransitionFromScale(float value);
    bool setTransitionToScale(float value);
    bool setRenderTargetSize(float value);
    bool setRenderTargetSizeVR(float value);
    bool setRenderTargetWidth(int value);
    bool setRenderTargetHeight(int value);
    bool setMaxSoundCaptureSilence(float value);
    bool setCaptureSound(bool value);
    bool setEnablePreloader(bool value);
    bool setCaptureRecordingDevice(bool value);
    bool setCheckForNewVersion(bool value);
    bool setSendUsageStats(bool value);
    bool setSceneChangeSilenceTime(float value);
    bool setSceneChangeSilenceCooldownTime(float value);
    bool setLayerScenesInVR(bool value);
    bool setPreferOpenVR(bool value);

private:
    CCfg *m_config;
};

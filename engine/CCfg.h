#pragma once

#include "JsonText.h"

#include <QString>
#include <QtGlobal>

// The player's configuration record. The program reads and writes these
// fields directly; the stand-in stores them as JSON (docs/file-formats.md).
// The order of the fields is part of the record's contract.
class CCfg
{
public:
    QString playlistToRun;               // file path of the playlist the player runs
    bool sendUsageStats = false;
    bool checkForNewVersion = true;
    bool randNextScene = true;
    bool layerScenesInVR = false;
    bool preferOpenVR = false;
    bool captureSound = true;
    bool captureRecordingDevice = false;
    qint32 maxSoundCaptureSilence = 10;  // seconds
    float sceneChangeSilenceTime = 2.0f; // seconds
    float sceneChangeSilenceCooldownTime = 5.0f; // seconds
    qint32 minSceneTime = 30;            // seconds
    qint32 maxSceneTime = 120;           // seconds
    float transitionTime = 3.0f;         // seconds
    float transitionFromScale = 1.0f;    // fraction
    float transitionToScale = 1.0f;      // fraction
    float postProcessingProbability = 0.25f; // fraction
    bool enablePreloader = true;
    double renderTargetWidth = 1.0;      // fraction of the window, or pixels when > 1
    double renderTargetHeight = 1.0;
    float renderTargetSizeVR = 1.0f;     // fraction

    // Reads the record; a missing file or key keeps the defaults above. A file
    // that cannot be parsed is renamed aside (never overwritten) and the
    // defaults are used. Returns false when the file exists but was not usable.
    bool Load(const QString &path);
    // Writes the record atomically as compact JSON; false when it could not
    // be written, or when the text would be more than Load takes (the old
    // file is then left as it was).
    bool Save(const QString &path) const;

private:
    // Keys of the file this record does not know (the player keeps settings
    // of its own in the same file); written back as the file wrote them.
    JsonText::Members m_otherKeys;
};

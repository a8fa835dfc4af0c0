#pragma once

#include <QObject>

class CSceneViewModel;

// Learns of a scene's changes without a connection per scene: the catalogue
// watches every scene it lists, up to 100,000, and three signal connections
// a scene cost more at start-up than restoring the scene from the index.
//
// A scene tells its watcher (CSceneViewModel::setWatcher) of each change
// just before its own change signal goes out, so the watcher has seen the
// change before QML does. A scene keeps only a guarded pointer: a watcher
// that is destroyed first is simply no longer told.
class SceneWatcher : public QObject
{
    Q_OBJECT

public:
    enum class Change { Selection, Tags, Relicensing };

    using QObject::QObject;

    virtual void sceneChanged(CSceneViewModel *scene, Change change) = 0;
};

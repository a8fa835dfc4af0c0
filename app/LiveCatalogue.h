#pragma once

#include "SceneFolderWatcher.h"
#include "SceneImporter.h"

#include <QObject>

class CAppTypeQt;
class CConfigViewModel;

// Keeps the catalogue the configuration view model shows in step with the
// disk while the program runs, once start-up has built it: the scene list
// takes the newest-first order of the start-up scan for every scene that
// arrives, the scene folders of the start-up scan ("[userpath]scenes" and
// "[apppath]scenes") are watched, and imports are listed at once.
class LiveCatalogue : public QObject
{
    Q_OBJECT

public:
    LiveCatalogue(const CAppTypeQt &app, CConfigViewModel &config, QObject *parent = nullptr);

    // Starts watching; the folders are taken as they are now.
    void start() { m_watcher.start(); }

    SceneImporter &importer() { return m_importer; }
    SceneFolderWatcher &watcher() { return m_watcher; }

private:
    void apply(const QList<SceneFileChange> &changes);

    CConfigViewModel &m_config;
    SceneFolderWatcher m_watcher;
    SceneImporter m_importer;
};

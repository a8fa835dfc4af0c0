#pragma once

// Shared set-up for the playlist and configuration view model tests: a
// temporary application and user directory, the engine's application object,
// scene and playlist files made through the engine, and a recorder in place
// of the player start.

#include "CAppTypeQt.h"
#include "CLog.h"
#include "CPlaylist.h"
#include "CScene.h"
#include "CConfigViewModel.h"
#include "CSceneViewModel.h"
#include "PlayerLauncher.h"
#include "ViewModelContext.h"

#include <QDir>
#include <QFile>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

struct PlayerStart
{
    QString program;
    QStringList arguments;
    QString workingDirectory;
    bool configSaved = false;   // whether the configuration file existed at the start
};

class PlaylistTestEnvironment
{
public:
    // Call from initTestCase: the directories must be set before the
    // application object exists.
    void setUp()
    {
        QVERIFY(root.isValid());
        appDir = root.filePath(QStringLiteral("app"));
        userDir = root.filePath(QStringLiteral("user"));
        QVERIFY(QDir().mkpath(appDir));
        QVERIFY(QDir().mkpath(userDir + QStringLiteral("/playlists")));
        QVERIFY(QDir().mkpath(userDir + QStringLiteral("/scenes")));
        qputenv("KELVRA_APP_DIR", appDir.toLocal8Bit());
        qputenv("KELVRA_USER_DIR", userDir.toLocal8Bit());
        // A deleted playlist goes to the desktop's trash: this one.
        qputenv("XDG_DATA_HOME", root.filePath(QStringLiteral("share")).toLocal8Bit());
        log = new CLog;
        gApp = new CAppTypeQt(log, QStringLiteral("logconfig.txt"));
        QVERIFY(gApp->Init());
        PlayerLauncher::setStartFunction(
            [this](const QString &program, const QStringList &arguments, const QString &workingDirectory) {
                starts.append({program, arguments, workingDirectory, QFile::exists(gApp->ConfigPath())});
                return true;
            });
    }

    void tearDown()
    {
        PlayerLauncher::setStartFunction({});
        delete gApp;
        gApp = nullptr;
        delete log;
        log = nullptr;
    }

    // Call from init: empty playlist and scene directories, default settings,
    // no configuration file, no recorded starts.
    void reset()
    {
        for (const char *sub : {"playlists", "scenes"}) {
            QDir dir(userDir + QLatin1Char('/') + QLatin1String(sub));
            QVERIFY(dir.removeRecursively());
            QVERIFY(QDir().mkpath(dir.path()));
        }
        QFile::remove(gApp->ConfigPath());
        *gApp->Config() = CCfg();
        starts.clear();
    }

    // What start-up hands the view models: the application object's record,
    // playlist directory and player.
    ViewModelContext context() const { return ViewModelContext::forApplication(*gApp); }
    PlaylistDirectory directory() const { return context().playlists; }

    QString playlistPath(const QString &name) const
    {
        return userDir + QStringLiteral("/playlists/") + name + QStringLiteral(".kvp");
    }

    QString scenePath(const QString &fileName) const
    {
        return userDir + QStringLiteral("/scenes/") + fileName;
    }

    // Writes a scene file and returns its view model (a user scene).
    CSceneViewModel *makeScene(const QString &fileName, const QString &id, quint32 typeFlags,
                               const QStringList &tags = {}, bool relicensing = true, bool official = false)
    {
        CScene scene;
        scene.SetId(id);
        scene.SetName(fileName);
        scene.typeFlags = typeFlags;
        scene.tagList = tags;
        scene.relicensingFlag = relicensing;
        const QString path = scenePath(fileName);
        if (!scene.Save(path, true))
            qWarning("scene file %s not written", qPrintable(path));
        auto *viewModel = new CSceneViewModel(path, official);
        created.append(viewModel);
        return viewModel;
    }

    struct Entry
    {
        QString id;
        QString path;
        int typeFlags;
    };

    // Writes a playlist file holding entries, each in its type's list.
    void writePlaylist(const QString &path, const QList<Entry> &entries)
    {
        CPlaylist playlist;
        for (const Entry &e : entries) {
            auto *entry = new PlaylistEntry;
            entry->sceneId = e.id;
            entry->scenePath = e.path;
            entry->typeFlags = e.typeFlags;
            if (e.typeFlags & CScene::Background)
                playlist.backgroundEntries.append(entry);
            else if (e.typeFlags & CScene::Foreground)
                playlist.foregroundEntries.append(entry);
            else if (e.typeFlags & CScene::Postprocessing)
                playlist.postprocessingEntries.append(entry);
            else if (e.typeFlags & CScene::Transition)
                playlist.transitionEntries.append(entry);
            else
                playlist.standaloneEntries.append(entry);
        }
        QVERIFY(playlist.Save(path));
    }

    // The scene paths a playlist file lists, in file order of the lists.
    static QStringList pathsInFile(const QString &path)
    {
        CPlaylist playlist;
        playlist.Load(path);
        QStringList paths;
        for (const auto *list : {&playlist.standaloneEntries, &playlist.backgroundEntries,
                                 &playlist.foregroundEntries, &playlist.postprocessingEntries,
                                 &playlist.transitionEntries}) {
            for (const PlaylistEntry *entry : *list)
                paths.append(entry->scenePath);
        }
        return paths;
    }

    void deleteCreatedScenes()
    {
        qDeleteAll(created);
        created.clear();
    }

    QTemporaryDir root;
    QString appDir;
    QString userDir;
    CLog *log = nullptr;
    QList<PlayerStart> starts;
    QList<CSceneViewModel *> created;
};

// What the configuration view model's tests share: a fresh environment and
// view model for every test function, three scenes to fill in, and the
// teardown in the order the objects depend on each other. A test class
// derives from it and calls setUp() from init() and tearDown() from
// cleanup().
class ConfigViewModelFixture : public QObject
{
protected:
    void setUp()
    {
        env.reset();
        viewModel = std::make_unique<CConfigViewModel>(env.context());
        CConfigViewModel::setInstance(viewModel.get());
        sceneModel = new QObjectListModel(this);
    }

    void tearDown()
    {
        CScenesFilterViewModel *proxy = viewModel->filteredScenes();
        viewModel.reset();
        delete proxy;
        delete sceneModel;
        env.deleteCreatedScenes();
    }

    PlaylistTestEnvironment env;
    std::unique_ptr<CConfigViewModel> viewModel;
    QObjectListModel *sceneModel = nullptr;
    CSceneViewModel *alpha = nullptr;
    CSceneViewModel *beta = nullptr;
    CSceneViewModel *gamma = nullptr;
};

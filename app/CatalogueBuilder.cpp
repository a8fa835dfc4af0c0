#include "CatalogueBuilder.h"

#include "CAppTypeQt.h"
#include "CConfigViewModel.h"
#include "CPlaylistViewModel.h"
#include "CScene.h"
#include "CSceneViewModel.h"
#include "CTagViewModel.h"
#include "CatalogueIndex.h"
#include "QObjectListModel.h"
#include "QmlRegistration.h"
#include "SceneFileWalk.h"
#include "SharedStrings.h"
#include "ViewModelContext.h"

#include <QDate>
#include <QDir>
#include <QVector>
#include <QPair>
#include <QSet>
#include <QFile>
#include <QGuiApplication>
#include <QtConcurrent>

#include <algorithm>

namespace Catalogue {

namespace {

QString resolved(const CAppTypeQt &app, const char *literal)
{
    return app.ResolvePath(CPath(literal)).toString();
}

// One ".kvc" file the walk met, and its scene once read or restored.
struct FoundScene
{
    QString path;
    FileIdentity identity;   // as the walk met the file; invalid where it could not tell
    bool official = false;
    bool restored = false;
    bool readable = false;
    CScene scene;
};

void appendScenesBelow(const QString &directory, bool official, QVector<FoundScene> &found)
{
    QVector<FileIdentity> identities;
    const QStringList paths = sceneFilesBelow(directory, &identities);
    found.reserve(found.size() + paths.size());
    for (int i = 0; i < paths.size(); ++i) {
        FoundScene scene;
        scene.path = paths.at(i);
        scene.identity = identities.value(i);
        scene.official = official;
        found.append(scene);
    }
}

// The scene of one file: from the index when it holds the file as it is
// now, else read. Runs on the thread pool, one call per file.
void readScene(FoundScene &scene, const CatalogueIndex *index)
{
    if (index) {
        SceneMetadata metadata;
        const FileIdentity identity = scene.identity.valid ? scene.identity : FileIdentity::ofPath(scene.path);
        if (identity.valid && index->restore(scene.path, identity, &metadata)) {
            scene.scene.RestoreLoaded(scene.path, metadata, identity);
            scene.restored = true;
            scene.readable = true;
            return;
        }
    }
    // A scene that cannot be read is still listed, with what the engine holds.
    scene.readable = scene.scene.Load(scene.path, false);
}

void updateIndex(CatalogueIndex &index, const QVector<FoundScene> &found)
{
    QVector<CatalogueIndex::Entry> read;
    for (const FoundScene &scene : found) {
        CatalogueIndex::Entry entry;
        if (!scene.restored && scene.scene.LoadedMetadata(&entry.metadata, &entry.identity)) {
            entry.path = scene.path;
            read.append(entry);
        }
    }
    index.update(read);
}

bool gIndexEnabled = true;

QFileInfoList listPlaylistFiles(const QString &directory)
{
    // Files only: a folder that happens to be named "*.kvp" is not a playlist.
    return QDir(directory).entryInfoList({QStringLiteral("*.kvp")}, QDir::Files, QDir::Name | QDir::IgnoreCase);
}

} // namespace

SaveHandlerConnections connectSaveHandlers(QGuiApplication &application)
{
    SaveHandlerConnections connections;
    connections.aboutToQuit = QObject::connect(&application, &QCoreApplication::aboutToQuit, &application,
                                               &CConfigViewModel::handleAboutToQuit, Qt::DirectConnection);
    connections.stateChanged = QObject::connect(&application, &QGuiApplication::applicationStateChanged,
                                                &application, &CConfigViewModel::handleApplicationStateChanged,
                                                Qt::DirectConnection);
    return connections;
}

void disconnectSaveHandlers(const SaveHandlerConnections &connections)
{
    QObject::disconnect(connections.aboutToQuit);
    QObject::disconnect(connections.stateChanged);
}

void applyDefaultPlaylistToRun(CAppTypeQt &app)
{
    CCfg *config = app.Config();
    if (config->playlistToRun.isEmpty())
        config->playlistToRun = resolved(app, "[apppath]playlists/Default.kvp");
}

CConfigViewModel *createConfigViewModel(CAppTypeQt &app)
{
    auto *config = new CConfigViewModel(ViewModelContext::forApplication(app));
    CConfigViewModel::setInstance(config);
    return config;
}

qint64 sceneDateSeconds(const SceneDate &date)
{
    if (!date.year && !date.month && !date.day && !date.hour && !date.minute && !date.second)
        return 0;
    if (date.year < 1601 || !QDate::isValid(date.year, date.month, date.day) || date.hour > 23
        || date.minute > 59 || date.second > 59)
        return 0;
    static const qint64 epochDay = QDate(1601, 1, 1).toJulianDay();
    const qint64 days = QDate(date.year, date.month, date.day).toJulianDay() - epochDay;
    return days * 86400 + date.hour * 3600 + date.minute * 60 + date.second;
}

void sortScenesNewestFirst(QList<CSceneViewModel *> &scenes)
{
    // Each date is converted once, not once per comparison (n log n times).
    QVector<QPair<qint64, CSceneViewModel *>> keyed;
    keyed.reserve(scenes.size());
    for (CSceneViewModel *scene : qAsConst(scenes))
        keyed.append({sceneDateSeconds(scene->scene().sceneDate), scene});
    std::sort(keyed.begin(), keyed.end(),
              [](const QPair<qint64, CSceneViewModel *> &a, const QPair<qint64, CSceneViewModel *> &b) {
                  return a.first > b.first;
              });
    for (int i = 0; i < keyed.size(); ++i)
        scenes[i] = keyed.at(i).second;
}

QList<CSceneViewModel *> buildSceneList(const QString &userScenesDir, const QString &officialScenesDir,
                                        CatalogueIndex *index)
{
    // The index file is read while the folders are walked.
    QFuture<CatalogueIndex::State> opened;
    if (index)
        opened = QtConcurrent::run([index]() { return index->open(); });
    QVector<FoundScene> found;
    appendScenesBelow(userScenesDir, false, found);
    appendScenesBelow(officialScenesDir, true, found);
    const CatalogueIndex *entries =
        index && opened.result() == CatalogueIndex::State::Usable ? index : nullptr;

    // Each file is read into its own slot; the index is only read meanwhile.
    QtConcurrent::blockingMap(found, [entries](FoundScene &scene) { readScene(scene, entries); });
    if (index)
        updateIndex(*index, found);

    QList<CSceneViewModel *> scenes;
    scenes.reserve(found.size());
    // Restored scenes share the index's strings already.
    SharedStrings strings;
    for (FoundScene &scene : found) {
        if (scene.official && (scene.scene.typeFlags & CScene::Hidden))
            continue;
        if (!scene.restored)
            strings.share(scene.scene);
        scenes.append(new CSceneViewModel(scene.path, scene.official, std::move(scene.scene), scene.readable));
    }
    sortScenesNewestFirst(scenes);
    return scenes;
}

QString catalogueIndexPath(const CAppTypeQt &app)
{
    return resolved(app, "[userpath]catalogue-index.sqlite");
}

void setCatalogueIndexEnabled(bool enabled)
{
    gIndexEnabled = enabled;
}

QFileInfoList preparePlaylistFiles(const QString &userPlaylistDir, const QString &defaultPlaylistDir)
{
    if (!QDir(userPlaylistDir).exists())
        QDir().mkpath(userPlaylistDir);
    QFileInfoList entries = listPlaylistFiles(userPlaylistDir);
    if (!entries.isEmpty())
        return entries;

    for (const QFileInfo &entry : listPlaylistFiles(defaultPlaylistDir))
        QFile::copy(entry.filePath(), userPlaylistDir + QLatin1Char('/') + entry.fileName());
    return listPlaylistFiles(userPlaylistDir);
}

QList<CPlaylistViewModel *> buildPlaylistList(const QString &userPlaylistDir, const QString &defaultPlaylistDir)
{
    const PlaylistDirectory directory(userPlaylistDir);
    QList<CPlaylistViewModel *> playlists;
    for (const QFileInfo &entry : preparePlaylistFiles(userPlaylistDir, defaultPlaylistDir)) {
        const QString fileName = entry.fileName();
        playlists.append(new CPlaylistViewModel(entry.filePath(), fileName.left(fileName.size() - 4), directory));
    }
    return playlists;
}

void assembleCatalogue(const CAppTypeQt &app, CConfigViewModel &config)
{
    QList<CSceneViewModel *> scenes;
    if (gIndexEnabled) {
        CatalogueIndex index(catalogueIndexPath(app));
        scenes = buildSceneList(resolved(app, "[userpath]scenes"), resolved(app, "[apppath]scenes"), &index);
    } else {
        scenes = buildSceneList(resolved(app, "[userpath]scenes"), resolved(app, "[apppath]scenes"));
    }
    const QList<CPlaylistViewModel *> playlists =
        buildPlaylistList(resolved(app, "[userpath]playlists"), resolved(app, "[apppath]playlists"));
    const QList<CTagViewModel *> tags = CConfigViewModel::buildTagList(scenes);

    auto *sceneModel = new QObjectListModel;
    QList<QObject *> sceneObjects;
    sceneObjects.reserve(scenes.size());
    for (CSceneViewModel *scene : scenes)
        sceneObjects.append(scene);
    sceneModel->setObjects(sceneObjects);

    config.setAllScenes(sceneModel);
    config.setPlaylists(playlists);
    config.setTags(tags);
}

CConfigViewModel *startViewModels(CAppTypeQt &app)
{
    applyDefaultPlaylistToRun(app);
    registerQmlTypes(resolved(app, "[apppath]"), resolved(app, "[userpath]"));
    CConfigViewModel *config = createConfigViewModel(app);
    assembleCatalogue(app, *config);
    return config;
}

} // namespace Catalogue

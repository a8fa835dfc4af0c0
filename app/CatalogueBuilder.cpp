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
#include <QThread>
#include <QFile>
#include <QGuiApplication>
#include <QtConcurrent>

#include <algorithm>
#include <atomic>

namespace Catalogue {

namespace {

QString resolved(const CAppTypeQt &app, const char *literal)
{
    return app.ResolvePath(CPath(literal)).toString();
}

// Every ".kvc" file the walk met, the user's first, then the official ones.
struct FoundFiles
{
    QStringList paths;
    QVector<FileIdentity> identities;   // as the walk met each file; invalid where it could not tell
    int officialFrom = 0;

    void appendBelow(const QString &directory)
    {
        QVector<FileIdentity> found;
        paths += sceneFilesBelow(directory, &found);
        identities += found;
    }
};

// States a hand-over of memory from pool threads to the thread that waited
// for them where ThreadSanitizer sees it: QtConcurrent's own wait goes
// through the futex-based mutexes of the distribution's Qt, which it cannot
// see. One atomic operation a task.
class HandOver
{
public:
    void give() { m_given.fetch_add(1, std::memory_order_release); }
    int take() const { return m_given.load(std::memory_order_acquire); }

private:
    std::atomic<int> m_given{0};
};

// The view model of one found file, made on the thread pool and handed to
// the thread that builds the list.
struct MadeScene
{
    CSceneViewModel *scene = nullptr;
    bool restored = false;
};

// The scene of one file: from the index when it holds the file as it is
// now, else read. Runs on the thread pool, one call per file; the view
// model is made there too (at 100,000 scenes making them took a tenth of a
// start on the GUI thread) and pushed to the owner's thread at once.
void makeScene(MadeScene &made, const QString &path, const FileIdentity &walked, bool official,
               const CatalogueIndex *index, QThread *owner)
{
    CScene scene;
    bool readable = false;
    if (index) {
        SceneMetadata metadata;
        const FileIdentity identity = walked.valid ? walked : FileIdentity::ofPath(path);
        if (identity.valid && index->restore(path, identity, &metadata)) {
            scene.RestoreLoaded(path, metadata, identity);
            made.restored = readable = true;
        }
    }
    // A scene that cannot be read is still listed, with what the engine holds.
    if (!made.restored)
        readable = scene.Load(path, false);
    made.scene = new CSceneViewModel(path, official, std::move(scene), readable);
    made.scene->moveToThread(owner);
}

void updateIndex(CatalogueIndex &index, const FoundFiles &files, const QVector<MadeScene> &made)
{
    QVector<CatalogueIndex::Entry> read;
    for (int i = 0; i < made.size(); ++i) {
        CatalogueIndex::Entry entry;
        if (!made.at(i).restored && made.at(i).scene->scene().LoadedMetadata(&entry.metadata, &entry.identity)) {
            entry.path = files.paths.at(i);
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
    HandOver openHandOver;
    if (index) {
        opened = QtConcurrent::run([index, &openHandOver]() {
            const CatalogueIndex::State state = index->open();
            openHandOver.give();
            return state;
        });
    }
    FoundFiles files;
    files.appendBelow(userScenesDir);
    files.officialFrom = files.paths.size();
    files.appendBelow(officialScenesDir);
    if (index) {
        opened.waitForFinished();
        openHandOver.take();
    }
    const CatalogueIndex *entries =
        index && opened.result() == CatalogueIndex::State::Usable ? index : nullptr;

    // Each file is read into its own slot; the index is only read meanwhile.
    QVector<MadeScene> made(files.paths.size());
    QThread *owner = QThread::currentThread();
    HandOver madeHandOver;
    QtConcurrent::blockingMap(made, [&files, entries, owner, &madeHandOver, first = made.data()](MadeScene &slot) {
        const int i = int(&slot - first);
        makeScene(slot, files.paths.at(i), files.identities.at(i), i >= files.officialFrom, entries, owner);
        madeHandOver.give();
    });
    const int handedOver = madeHandOver.take();
    Q_ASSERT(handedOver == made.size());
    Q_UNUSED(handedOver)
    if (index)
        updateIndex(*index, files, made);

    QList<CSceneViewModel *> scenes;
    scenes.reserve(made.size());
    // Restored scenes share the index's strings already.
    SharedStrings strings;
    for (int i = 0; i < made.size(); ++i) {
        CSceneViewModel *scene = made.at(i).scene;
        if (i >= files.officialFrom && (scene->scene().typeFlags & CScene::Hidden)) {
            delete scene;
            continue;
        }
        if (!made.at(i).restored)
            strings.share(scene->scene());
        scenes.append(scene);
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

#include "CConfigViewModel.h"
#include "CPlaylistViewModel.h"
#include "PlaylistTestSupport.h"
#include "QObjectListModel.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

class TestPlaylistViewModel : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { env.setUp(); }
    void cleanupTestCase() { env.tearDown(); }
    void init() { env.reset(); }
    void cleanup() { env.deleteCreatedScenes(); }

    void defaultConstructedIsEmpty();
    void constructionCountsFileEntries();
    void resolveMatchesByIdThenPath_data();
    void resolveMatchesByIdThenPath();
    void resolveKeepsListOrderAndDuplicates();
    void filledIdReachesFileAtNextWrite();
    void scenesNotInCatalogueKeptByEveryWrite();
    void pathLetterCaseMattersOutsideWindows();
    void saveWritesOnlyWhenNeeded_data();
    void saveWritesOnlyWhenNeeded();
    void saveFilesScenesByType();
    void saveNeverWritesOutsidePlaylistDirectory();
    void renameMovesFileAndPlaylistToRun();
    void renameToSameNameDoesNothing();
    void renameFollowsFileNameRules_data();
    void renameFollowsFileNameRules();
    void scenesListProperty();

private:
    QObjectListModel *modelOf(const QList<CSceneViewModel *> &scenes)
    {
        auto *model = new QObjectListModel(this);
        model->setObjects(QList<QObject *>(scenes.cbegin(), scenes.cend()));
        return model;
    }

    PlaylistTestEnvironment env;
};

void TestPlaylistViewModel::defaultConstructedIsEmpty()
{
    CPlaylistViewModel playlist;
    QVERIFY(playlist.name().isEmpty());
    QVERIFY(playlist.filepath().isEmpty());
    QCOMPARE(playlist.readOnly(), false);
    QCOMPARE(playlist.selected(), false);
    QCOMPARE(playlist.scenesSelected(), 0);
    QCOMPARE(playlist.isResolved(), false);
}

void TestPlaylistViewModel::constructionCountsFileEntries()
{
    const QString path = env.playlistPath(QStringLiteral("Mix"));
    env.writePlaylist(path, {{"a", "/x/a.kvc", 1}, {"b", "/x/b.kvc", 2}, {"c", "/x/c.kvc", 0}});
    CPlaylistViewModel playlist(path, QStringLiteral("Mix"), env.directory());
    QCOMPARE(playlist.scenesSelected(), 3);
    QVERIFY(playlist.sceneList().isEmpty());

    CPlaylistViewModel missing(env.playlistPath(QStringLiteral("Missing")), QStringLiteral("Missing"), env.directory());
    QCOMPARE(missing.scenesSelected(), 0);
}

void TestPlaylistViewModel::resolveMatchesByIdThenPath_data()
{
    QTest::addColumn<QString>("entryId");
    QTest::addColumn<bool>("entryPathIsScenes");   // else an unrelated path
    QTest::addColumn<QString>("sceneId");
    QTest::addColumn<bool>("matches");
    QTest::addColumn<QString>("idAfter");

    QTest::addRow("same id, other path") << "A" << false << "A" << true << "A";
    QTest::addRow("other id, same path") << "B" << true << "A" << false << "B";
    QTest::addRow("scene without id: path decides") << "B" << true << "" << true << "B";
    QTest::addRow("entry without id takes the scene's") << "" << true << "A" << true << "A";
    QTest::addRow("entry without id, other path") << "" << false << "A" << false << "";
}

void TestPlaylistViewModel::resolveMatchesByIdThenPath()
{
    QFETCH(QString, entryId);
    QFETCH(bool, entryPathIsScenes);
    QFETCH(QString, sceneId);
    QFETCH(bool, matches);
    QFETCH(QString, idAfter);

    CSceneViewModel *scene = env.makeScene(QStringLiteral("Scene.kvc"), sceneId, CScene::Background);
    const QString entryPath = entryPathIsScenes ? scene->filepath() : QStringLiteral("/gone/other.kvc");
    const QString path = env.playlistPath(QStringLiteral("P"));
    env.writePlaylist(path, {{entryId, entryPath, CScene::Background}});

    CPlaylistViewModel playlist(path, QStringLiteral("P"), env.directory());
    playlist.resolveScenes(modelOf({scene}));
    QCOMPARE(playlist.sceneList().size(), matches ? 1 : 0);
    QCOMPARE(playlist.playlist().backgroundEntries.size(), 1);
    QCOMPARE(playlist.playlist().backgroundEntries.first()->sceneId, idAfter);
}

void TestPlaylistViewModel::resolveKeepsListOrderAndDuplicates()
{
    CSceneViewModel *background = env.makeScene(QStringLiteral("Bg.kvc"), QStringLiteral("bg"), CScene::Background);
    CSceneViewModel *standalone = env.makeScene(QStringLiteral("St.kvc"), QStringLiteral("st"), 0);
    const QString path = env.playlistPath(QStringLiteral("P"));
    // The background scene is listed twice, once in the wrong type's list.
    env.writePlaylist(path, {{"bg", "", CScene::Background}, {"st", "", 0}, {"bg", "", CScene::Transition}});

    CPlaylistViewModel playlist(path, QStringLiteral("P"), env.directory());
    QObjectListModel *all = modelOf({background, standalone});
    playlist.resolveScenes(all);
    const QList<CSceneViewModel *> expected = {standalone, background, background};
    QCOMPARE(playlist.sceneList(), expected);

    playlist.resolveScenes(all);   // only the first call resolves
    QCOMPARE(playlist.sceneList(), expected);
}

void TestPlaylistViewModel::filledIdReachesFileAtNextWrite()
{
    CSceneViewModel *scene = env.makeScene(QStringLiteral("Scene.kvc"), QStringLiteral("id-1"), CScene::Foreground);
    const QString path = env.playlistPath(QStringLiteral("P"));
    env.writePlaylist(path, {{"", scene->filepath(), CScene::Foreground}});

    CPlaylistViewModel playlist(path, QStringLiteral("P"), env.directory());
    playlist.resolveScenes(modelOf({scene}));
    playlist.save(true);

    CPlaylist stored;
    QVERIFY(stored.Load(path));
    QCOMPARE(stored.foregroundEntries.size(), 1);
    QCOMPARE(stored.foregroundEntries.first()->sceneId, QStringLiteral("id-1"));
}

void TestPlaylistViewModel::scenesNotInCatalogueKeptByEveryWrite()
{
    CSceneViewModel *first = env.makeScene(QStringLiteral("First.kvc"), QStringLiteral("first"), CScene::Background);
    CSceneViewModel *last = env.makeScene(QStringLiteral("Last.kvc"), QStringLiteral("last"), CScene::Background);
    // On a drive that is not mounted: the catalogue does not know them.
    const QString gone = QStringLiteral("/media/usb/Gone.kvc");
    const QString alone = QStringLiteral("/media/usb/Alone.kvc");
    const QString path = env.playlistPath(QStringLiteral("P"));
    env.writePlaylist(path, {{"first", first->filepath(), CScene::Background},
                             {"gone", gone, CScene::Background | CScene::Hidden},
                             {"last", last->filepath(), CScene::Background}, {"", alone, 0}});

    CPlaylistViewModel playlist(path, QStringLiteral("P"), env.directory());
    playlist.resolveScenes(modelOf({first, last}));
    playlist.setSceneList({last});   // the user drops one scene
    QVERIFY(playlist.save(false));

    CPlaylist stored;
    QVERIFY(stored.Load(path));
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(path), (QStringList{alone, gone, last->filepath()}));
    QCOMPARE(stored.backgroundEntries.first()->sceneId, QStringLiteral("gone"));
    QCOMPARE(stored.backgroundEntries.first()->typeFlags, int(CScene::Background | CScene::Hidden));
}

void TestPlaylistViewModel::pathLetterCaseMattersOutsideWindows()
{
#ifdef Q_OS_WIN
    QSKIP("Windows file names ignore letter case");
#endif
    CSceneViewModel *upper = env.makeScene(QStringLiteral("Sunset.kvc"), QString(), CScene::Background);
    CSceneViewModel *lower = env.makeScene(QStringLiteral("sunset.kvc"), QString(), CScene::Background);
    const QString path = env.playlistPath(QStringLiteral("P"));
    CPlaylistViewModel playlist(path, QStringLiteral("P"), env.directory());
    playlist.setSceneList({upper, lower});
    QVERIFY(playlist.save(false));

    CPlaylistViewModel reread(path, QStringLiteral("P"), env.directory());
    reread.resolveScenes(modelOf({lower, upper}));
    QCOMPARE(reread.sceneList(), (QList<CSceneViewModel *>{upper, lower}));
}

void TestPlaylistViewModel::saveWritesOnlyWhenNeeded_data()
{
    QTest::addColumn<bool>("changed");
    QTest::addColumn<bool>("force");
    QTest::addColumn<bool>("noSave");
    QTest::addColumn<bool>("written");

    QTest::addRow("unchanged") << false << false << false << false;
    QTest::addRow("unchanged, forced") << false << true << false << true;
    QTest::addRow("changed") << true << false << false << true;
    QTest::addRow("changed, noSave") << true << false << true << false;
    QTest::addRow("forced, noSave") << false << true << true << false;
}

void TestPlaylistViewModel::saveWritesOnlyWhenNeeded()
{
    QFETCH(bool, changed);
    QFETCH(bool, force);
    QFETCH(bool, noSave);
    QFETCH(bool, written);

    CSceneViewModel *scene = env.makeScene(QStringLiteral("Scene.kvc"), QStringLiteral("s"), CScene::Background);
    const QString path = env.playlistPath(QStringLiteral("P"));
    env.writePlaylist(path, {{"s", scene->filepath(), CScene::Background}});
    CPlaylistViewModel playlist(path, QStringLiteral("P"), env.directory());
    playlist.resolveScenes(modelOf({scene}));
    playlist.playlist().noSave = noSave;
    if (changed)
        playlist.setSceneList({});
    // A write shows as the file coming back.
    QVERIFY(QFile::remove(path));

    playlist.save(force);
    QCOMPARE(QFile::exists(path), written);
}

void TestPlaylistViewModel::saveFilesScenesByType()
{
    const quint32 foregroundPost = CScene::Foreground | CScene::Postprocessing;
    CSceneViewModel *post = env.makeScene(QStringLiteral("Post.kvc"), QStringLiteral("p"), CScene::Postprocessing);
    CSceneViewModel *front = env.makeScene(QStringLiteral("Front.kvc"), QStringLiteral("f"), foregroundPost);
    CSceneViewModel *alone = env.makeScene(QStringLiteral("Alone.kvc"), QStringLiteral("a"), 0x100);
    const QString path = env.playlistPath(QStringLiteral("P"));
    CPlaylistViewModel playlist(path, QStringLiteral("P"), env.directory());
    playlist.setSceneList({post, front, alone, front});
    playlist.save(false);

    CPlaylist stored;
    QVERIFY(stored.Load(path));
    QCOMPARE(stored.postprocessingEntries.size(), 1);
    QCOMPARE(stored.foregroundEntries.size(), 1);   // a scene listed twice gets one entry
    QCOMPARE(stored.foregroundEntries.first()->typeFlags, int(foregroundPost));
    QCOMPARE(stored.foregroundEntries.first()->sceneId, QStringLiteral("f"));
    QCOMPARE(stored.standaloneEntries.size(), 1);
    QCOMPARE(stored.standaloneEntries.first()->scenePath, alone->filepath());
    QVERIFY(stored.backgroundEntries.isEmpty());
    QVERIFY(stored.transitionEntries.isEmpty());
}

void TestPlaylistViewModel::saveNeverWritesOutsidePlaylistDirectory()
{
    const QString outside = env.root.filePath(QStringLiteral("Outside.kvp"));
    const QString sneaky = env.userDir + QStringLiteral("/playlists/../Sneaky.kvp");
    for (const QString &path : {outside, sneaky, QString()}) {
        CPlaylistViewModel playlist(path, QStringLiteral("X"), env.directory());
        playlist.save(true);
    }
    QVERIFY(!QFile::exists(outside));
    QVERIFY(!QFile::exists(env.userDir + QStringLiteral("/Sneaky.kvp")));
}

void TestPlaylistViewModel::renameMovesFileAndPlaylistToRun()
{
    const QString oldPath = env.playlistPath(QStringLiteral("Old"));
    env.writePlaylist(oldPath, {{"a", "/x/a.kvc", 1}});
    gApp->Config()->playlistToRun = oldPath;
    CPlaylistViewModel playlist(oldPath, QStringLiteral("Old"), env.directory());
    // The configuration view model keeps the playlist to run in step.
    CConfigViewModel config(env.context());
    config.setPlaylists({&playlist});
    const std::unique_ptr<CScenesFilterViewModel> proxy(config.filteredScenes());
    QSignalSpy nameSpy(&playlist, &CPlaylistViewModel::nameChanged);
    QSignalSpy pathSpy(&playlist, &CPlaylistViewModel::filepathChanged);
    QSignalSpy toRunSpy(&config, &CConfigViewModel::playlistToRunChanged);

    playlist.setName(QStringLiteral("New name"));

    const QString newPath = env.playlistPath(QStringLiteral("New name"));
    QCOMPARE(nameSpy.count(), 1);
    QCOMPARE(playlist.name(), QStringLiteral("New name"));
    QCOMPARE(playlist.filepath(), newPath);
    QVERIFY(!QFile::exists(oldPath));
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(newPath), QStringList{"/x/a.kvc"});
    QCOMPARE(gApp->Config()->playlistToRun, newPath);
    // Bindings to either path hear of the move.
    QCOMPARE(pathSpy.count(), 1);
    QCOMPARE(toRunSpy.count(), 1);
    QCOMPARE(config.playlistToRun(), newPath);

    // Renaming a playlist the player does not run leaves the choice alone.
    const QString otherToRun = env.playlistPath(QStringLiteral("Other"));
    gApp->Config()->playlistToRun = otherToRun;
    playlist.setName(QStringLiteral("Third"));
    QCOMPARE(gApp->Config()->playlistToRun, otherToRun);
    QCOMPARE(pathSpy.count(), 2);
    QCOMPARE(toRunSpy.count(), 1);
}

void TestPlaylistViewModel::renameToSameNameDoesNothing()
{
    const QString path = env.playlistPath(QStringLiteral("Same"));
    env.writePlaylist(path, {});
    CPlaylistViewModel playlist(path, QStringLiteral("Same"), env.directory());
    QSignalSpy nameSpy(&playlist, &CPlaylistViewModel::nameChanged);
    playlist.setName(QStringLiteral("Same"));
    QCOMPARE(nameSpy.count(), 0);
    QVERIFY(QFile::exists(path));
}

void TestPlaylistViewModel::renameFollowsFileNameRules_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    QTest::addRow("existing playlist") << "Other" << false;
    QTest::addRow("empty") << "" << false;
    QTest::addRow("dot") << "." << false;
    QTest::addRow("dot dot") << ".." << false;
    QTest::addRow("parent directory") << "../x" << false;
    QTest::addRow("slash") << "a/b" << false;
    QTest::addRow("backslash") << "a\\b" << false;
    QTest::addRow("NUL") << QStringLiteral("a") + QChar(0) + QStringLiteral("b") << false;
    QTest::addRow("too long") << QString(300, QLatin1Char('n')) << false;
    QTest::addRow("longest name") << QString(251, QLatin1Char('n')) << true;
    QTest::addRow("non-ASCII") << QString::fromUtf8("Abend \u00fc") << true;
#ifdef Q_OS_WIN
    QTest::addRow("colon") << "a:b" << false;
    QTest::addRow("question mark") << "a?b" << false;
    QTest::addRow("star") << "a*" << false;
    QTest::addRow("angle bracket") << "<a>" << false;
    QTest::addRow("pipe") << "a|b" << false;
    QTest::addRow("quote") << "a\"b" << false;
    QTest::addRow("control character") << "a\tb" << false;
    QTest::addRow("trailing dot") << "a." << false;
    QTest::addRow("trailing space") << "a " << false;
    QTest::addRow("device name") << "con" << false;
#else
    // Short enough in characters, too long once encoded for the disk.
    QTest::addRow("too long when encoded") << QString(200, QChar(0x00e9)) << false;
    // Ordinary file names here: a playlist of such a name is listed at
    // start-up and must be as usable as any other.
    QTest::addRow("colon") << "Mix: 2024" << true;
    QTest::addRow("question mark, star, quote, pipe") << "What? *\"|" << true;
    QTest::addRow("trailing dot") << "Vol." << true;
    QTest::addRow("trailing space") << "Late " << true;
    QTest::addRow("device name") << "con" << true;
#endif
}

void TestPlaylistViewModel::renameFollowsFileNameRules()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    const QString path = env.playlistPath(QStringLiteral("Mine"));
    const QString otherPath = env.playlistPath(QStringLiteral("Other"));
    env.writePlaylist(path, {{"a", "/x/a.kvc", 1}});
    env.writePlaylist(otherPath, {{"b", "/x/b.kvc", 1}});
    gApp->Config()->playlistToRun = path;
    CPlaylistViewModel playlist(path, QStringLiteral("Mine"), env.directory());
    CConfigViewModel config(env.context());
    config.setPlaylists({&playlist});
    const std::unique_ptr<CScenesFilterViewModel> proxy(config.filteredScenes());
    QSignalSpy nameSpy(&playlist, &CPlaylistViewModel::nameChanged);
    QSignalSpy pathSpy(&playlist, &CPlaylistViewModel::filepathChanged);
    QSignalSpy problemSpy(&playlist, &CPlaylistViewModel::problemRaised);

    playlist.setName(name);

    const QString expectedPath = accepted ? env.playlistPath(name) : path;
    QCOMPARE(nameSpy.count(), accepted ? 1 : 0);
    QCOMPARE(pathSpy.count(), accepted ? 1 : 0);   // a refused rename keeps the path
    QCOMPARE(problemSpy.count(), accepted ? 0 : 1);   // a refusal names the playlist
    if (!accepted)
        QVERIFY(problemSpy.first().first().toString().contains(QStringLiteral("Mine")));
    QCOMPARE(playlist.name(), accepted ? name : QStringLiteral("Mine"));
    QCOMPARE(playlist.filepath(), expectedPath);
    QCOMPARE(gApp->Config()->playlistToRun, expectedPath);
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(expectedPath), QStringList{"/x/a.kvc"});
    QCOMPARE(PlaylistTestEnvironment::pathsInFile(otherPath), QStringList{"/x/b.kvc"});
    QCOMPARE(QDir(env.userDir + QStringLiteral("/playlists")).entryList(QDir::Files).size(), 2);
    QVERIFY(!QFile::exists(env.userDir + QStringLiteral("/x.kvp")));
}

void TestPlaylistViewModel::scenesListProperty()
{
    CSceneViewModel *scene = env.makeScene(QStringLiteral("S.kvc"), QStringLiteral("s"), 0);
    CPlaylistViewModel playlist;
    playlist.setSceneList({scene});
    QQmlListProperty<CSceneViewModel> list = playlist.scenes();
    QCOMPARE(list.count(&list), 1);
    QCOMPARE(list.at(&list, 0), scene);
    QCOMPARE(list.at(&list, 1), nullptr);
    list.append(&list, scene);
    QCOMPARE(list.count(&list), 1);
    list.clear(&list);
    QCOMPARE(list.count(&list), 0);
}

QTEST_GUILESS_MAIN(TestPlaylistViewModel)
#include "tst_playlistviewmodel.moc"

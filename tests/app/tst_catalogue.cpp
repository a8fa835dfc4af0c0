#include "CatalogueBuilder.h"

#include "CAppTypeQt.h"
#include "CConfigViewModel.h"
#include "CPlaylistViewModel.h"
#include "CScene.h"
#include "CSceneViewModel.h"
#include "CTagViewModel.h"
#include "QObjectListModel.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

Q_DECLARE_METATYPE(SceneDate)

namespace {

SceneDate date(int year, int month, int day, int hour = 0, int minute = 0, int second = 0)
{
    SceneDate d;
    d.year = quint16(year);
    d.month = quint16(month);
    d.day = quint16(day);
    d.hour = quint16(hour);
    d.minute = quint16(minute);
    d.second = quint16(second);
    return d;
}

bool writeScene(const QString &path, const QString &name, const SceneDate &when, quint32 typeFlags = 0,
                const QStringList &tags = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    CScene scene;
    scene.SetId(name + QStringLiteral("-id"));
    scene.SetName(name);
    scene.typeFlags = typeFlags;
    scene.sceneDate = when;
    scene.tagList = tags;
    scene.SetEntry(QStringLiteral("thumbnail.jpg"), QByteArray("jpeg"));
    return scene.Save(path, true);
}

bool touch(const QString &path)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly);
}

QStringList sceneNames(const QList<CSceneViewModel *> &scenes)
{
    QStringList names;
    for (const CSceneViewModel *scene : scenes)
        names << scene->name();
    return names;
}

QStringList playlistNames(const QList<CPlaylistViewModel *> &playlists)
{
    QStringList names;
    for (const CPlaylistViewModel *playlist : playlists)
        names << playlist->name();
    return names;
}

} // namespace

class tst_Catalogue : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void sceneDateSeconds_data();
    void sceneDateSeconds();
    void sceneListWalksBothDirectoriesNewestFirst();
    void playlistFiles_data();
    void playlistFiles();
    void defaultPlaylistToRun();
    void catalogueIsHandedToTheConfigViewModel();
    void firstStartSaysTheBundledPlaylistRuns();

private:
    QString appPath(const QString &rest) const { return m_app->filePath(rest); }
    QString userPath(const QString &rest) const { return m_user->filePath(rest); }

    std::unique_ptr<QTemporaryDir> m_app;
    std::unique_ptr<QTemporaryDir> m_user;
    std::unique_ptr<CAppTypeQt> m_engine;
};

void tst_Catalogue::init()
{
    m_app.reset(new QTemporaryDir);
    m_user.reset(new QTemporaryDir);
    qputenv("KELVRA_APP_DIR", m_app->path().toLocal8Bit());
    qputenv("KELVRA_USER_DIR", m_user->path().toLocal8Bit());
    m_engine.reset(new CAppTypeQt(nullptr, QString()));
    QVERIFY(m_engine->Init());
}

void tst_Catalogue::cleanup()
{
    m_engine.reset();
}

void tst_Catalogue::sceneDateSeconds_data()
{
    QTest::addColumn<SceneDate>("when");
    QTest::addColumn<qint64>("seconds");

    QTest::addRow("all zero") << SceneDate() << qint64(0);
    QTest::addRow("first second of the epoch") << date(1601, 1, 1, 0, 0, 1) << qint64(1);
    QTest::addRow("second day") << date(1601, 1, 2) << qint64(86400);
    QTest::addRow("every field counts") << date(1601, 1, 1, 2, 3, 4) << qint64(2 * 3600 + 3 * 60 + 4);
    QTest::addRow("2000-01-01") << date(2000, 1, 1) << qint64(12591158400);
    QTest::addRow("leap day of 2000") << date(2000, 2, 29, 12) << qint64(12591158400 + 59 * 86400 + 12 * 3600);
    QTest::addRow("last second of 9999") << date(9999, 12, 31, 23, 59, 59) << qint64(265046774399);
    // Not real calendar dates: undated, older than every real date.
    QTest::addRow("month 13") << date(2020, 13, 1) << qint64(0);
    QTest::addRow("month 0") << date(2020, 0, 10) << qint64(0);
    QTest::addRow("day 0") << date(2020, 5, 0) << qint64(0);
    QTest::addRow("31 April") << date(2020, 4, 31) << qint64(0);
    QTest::addRow("29 February 1900") << date(1900, 2, 29) << qint64(0);
    QTest::addRow("hour 24") << date(2020, 5, 5, 24) << qint64(0);
    QTest::addRow("minute 60") << date(2020, 5, 5, 1, 60) << qint64(0);
    QTest::addRow("second 60") << date(2020, 5, 5, 1, 1, 60) << qint64(0);
    QTest::addRow("year before 1601") << date(1600, 12, 31, 23, 59, 59) << qint64(0);
    QTest::addRow("year 0") << date(0, 1, 1) << qint64(0);
    QTest::addRow("time without a date") << date(0, 0, 0, 12) << qint64(0);
}

void tst_Catalogue::sceneDateSeconds()
{
    QFETCH(SceneDate, when);
    QFETCH(qint64, seconds);
    QCOMPARE(Catalogue::sceneDateSeconds(when), seconds);
}

void tst_Catalogue::sceneListWalksBothDirectoriesNewestFirst()
{
    QVERIFY(writeScene(userPath("scenes/mine/old.kvc"), "old", date(2019, 6, 1)));
    QVERIFY(writeScene(userPath("scenes/undated.kvc"), "undated", SceneDate()));
    QVERIFY(writeScene(userPath("scenes/hiddenmine.kvc"), "hiddenmine", date(2018, 1, 1), CScene::Hidden));
    QVERIFY(writeScene(userPath("scenes/shouty.KVC"), "shouty", date(2030, 1, 1)));
    QVERIFY(touch(userPath("scenes/notes.txt")));
    QVERIFY(writeScene(appPath("scenes/new.kvc"), "new", date(2024, 3, 1)));
    QVERIFY(writeScene(appPath("scenes/deep/er/older.kvc"), "older", date(2019, 5, 31, 23, 59, 59)));
    QVERIFY(writeScene(appPath("scenes/hidden.kvc"), "hidden", date(2025, 1, 1), CScene::Hidden | CScene::Foreground));
    QVERIFY(writeScene(appPath("scenes/badmonth.kvc"), "badmonth", date(2026, 13, 1)));

    const QList<CSceneViewModel *> scenes =
        Catalogue::buildSceneList(userPath("scenes"), appPath("scenes"));
    const QStringList names = sceneNames(scenes);

    QCOMPARE(names.mid(0, 4), (QStringList{"new", "old", "older", "hiddenmine"}));
    QCOMPARE(names.size(), 6);
    QVERIFY(names.mid(4).contains("undated"));
    QVERIFY(names.mid(4).contains("badmonth"));

    for (const CSceneViewModel *scene : scenes) {
        const bool official = QStringList{"new", "older", "badmonth"}.contains(scene->name());
        QCOMPARE(scene->official(), official);
    }
    qDeleteAll(scenes);
}

void tst_Catalogue::playlistFiles_data()
{
    QTest::addColumn<QStringList>("userFiles");      // "-" alone: no user directory at all
    QTest::addColumn<QStringList>("defaultFiles");
    QTest::addColumn<QStringList>("expectedNames");

    const QStringList defaults{"Default.kvp", "chill.kvp", "README.txt"};
    QTest::addRow("no user directory: defaults copied") << QStringList{"-"} << defaults
                                                        << QStringList{"chill", "Default"};
    QTest::addRow("empty user directory: defaults copied") << QStringList{} << defaults
                                                           << QStringList{"chill", "Default"};
    QTest::addRow("other files only: defaults copied") << QStringList{"notes.txt"} << defaults
                                                       << QStringList{"chill", "Default"};
    QTest::addRow("folder named like a playlist: defaults copied") << QStringList{"folder.kvp/"} << defaults
                                                                   << QStringList{"chill", "Default"};
    QTest::addRow("one own playlist: nothing copied") << QStringList{"Mine.kvp"} << defaults
                                                      << QStringList{"Mine"};
    QTest::addRow("upper-case suffix is a playlist") << QStringList{"list.KVP"} << defaults
                                                     << QStringList{"list"};
    QTest::addRow("sorted by name ignoring case") << QStringList{"beta.kvp", "Alpha.kvp", "gamma.kvp"} << defaults
                                                  << QStringList{"Alpha", "beta", "gamma"};
    QTest::addRow("no defaults either") << QStringList{} << QStringList{} << QStringList{};
}

void tst_Catalogue::playlistFiles()
{
    QFETCH(QStringList, userFiles);
    QFETCH(QStringList, defaultFiles);
    QFETCH(QStringList, expectedNames);

    const QString userDir = userPath("playlists");
    const QString defaultDir = appPath("playlists");
    QVERIFY(QDir().mkpath(defaultDir));
    for (const QString &name : defaultFiles)
        QVERIFY(touch(defaultDir + '/' + name));
    if (userFiles != QStringList{"-"}) {
        QVERIFY(QDir().mkpath(userDir));
        for (const QString &name : userFiles) {
            if (name.endsWith('/'))
                QVERIFY(QDir().mkpath(userDir + '/' + name));
            else
                QVERIFY(touch(userDir + '/' + name));
        }
    }

    const QList<CPlaylistViewModel *> playlists = Catalogue::buildPlaylistList(userDir, defaultDir);
    QCOMPARE(playlistNames(playlists), expectedNames);
    for (const CPlaylistViewModel *playlist : playlists)
        QCOMPARE(QFileInfo(playlist->filepath()).absolutePath(), QFileInfo(userDir).absoluteFilePath());
    // Only playlists are copied, and only when the user had none.
    QVERIFY(!QFile::exists(userDir + "/README.txt"));
    if (userFiles.contains("Mine.kvp"))
        QVERIFY(!QFile::exists(userDir + "/Default.kvp"));
    qDeleteAll(playlists);
}

void tst_Catalogue::defaultPlaylistToRun()
{
    m_engine->Config()->playlistToRun.clear();
    Catalogue::applyDefaultPlaylistToRun(*m_engine);
    QCOMPARE(m_engine->Config()->playlistToRun,
             m_engine->ResolvePath(CPath("[apppath]playlists/Default.kvp")).toString());
    QCOMPARE(QFileInfo(m_engine->Config()->playlistToRun).absoluteFilePath(),
             QFileInfo(appPath("playlists/Default.kvp")).absoluteFilePath());

    m_engine->Config()->playlistToRun = userPath("playlists/Mine.kvp");
    Catalogue::applyDefaultPlaylistToRun(*m_engine);
    QCOMPARE(m_engine->Config()->playlistToRun, userPath("playlists/Mine.kvp"));
    QVERIFY(!QFile::exists(m_engine->ConfigPath()));
}

void tst_Catalogue::catalogueIsHandedToTheConfigViewModel()
{
    QVERIFY(writeScene(userPath("scenes/Imported/mine.kvc"), "mine", date(2021, 1, 1), 0, {"Calm"}));
    QVERIFY(writeScene(appPath("scenes/official.kvc"), "official", date(2022, 1, 1), CScene::Background, {"Calm"}));
    QVERIFY(writeScene(appPath("scenes/secret.kvc"), "secret", date(2023, 1, 1), CScene::Hidden, {"Secret"}));
    QVERIFY(touch(userPath("playlists/Mine.kvp")));
    QVERIFY(touch(userPath("playlists/Other.kvp")));

    m_engine->Config()->playlistToRun =
        m_engine->ResolvePath(CPath("[userpath]playlists/Mine.kvp")).toString();
    std::unique_ptr<CConfigViewModel> config(Catalogue::createConfigViewModel(*m_engine));
    QCOMPARE(CConfigViewModel::instance(), config.get());
    Catalogue::assembleCatalogue(*m_engine, *config);

    QVERIFY(config->allScenes());
    QStringList names;
    for (QObject *object : config->allScenes()->objects())
        names << qobject_cast<CSceneViewModel *>(object)->name();
    QCOMPARE(names, (QStringList{"official", "mine"}));
    QCOMPARE(config->filteredScenes()->sourceModel(), config->allScenes());

    QCOMPARE(playlistNames(config->playlistList()), (QStringList{"Mine", "Other"}));
    QVERIFY(config->activePlaylist());
    QCOMPARE(config->activePlaylist()->name(), QStringLiteral("Mine"));

    QStringList tagNames;
    for (const CTagViewModel *tag : config->tagList())
        tagNames << tag->name();
    QVERIFY(tagNames.contains("Calm"));
    QVERIFY(!tagNames.contains("Secret"));  // an unlisted official scene is not counted
}

// On a first start the user's copy of "Default" is listed, but the player
// runs the shipped file: what runs is named as the bundled one, and no
// listed playlist claims it.
void tst_Catalogue::firstStartSaysTheBundledPlaylistRuns()
{
    QVERIFY(touch(appPath("playlists/Default.kvp")));
    m_engine->Config()->playlistToRun.clear();
    Catalogue::applyDefaultPlaylistToRun(*m_engine);
    std::unique_ptr<CConfigViewModel> config(Catalogue::createConfigViewModel(*m_engine));
    Catalogue::assembleCatalogue(*m_engine, *config);

    QCOMPARE(playlistNames(config->playlistList()), QStringList{"Default"});
    QCOMPARE(config->runningPlaylist(), nullptr);
    QCOMPARE(config->activePlaylist(), nullptr);
    QCOMPARE(config->runningPlaylistName(), QStringLiteral("Default"));
    QVERIFY(config->runningPlaylistBundled());
}

QTEST_GUILESS_MAIN(tst_Catalogue)
#include "tst_catalogue.moc"

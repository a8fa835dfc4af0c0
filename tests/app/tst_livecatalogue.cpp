#include "LiveCatalogue.h"

#include "CAppTypeQt.h"
#include "CConfigViewModel.h"
#include "CPlaylist.h"
#include "CatalogueBuilder.h"
#include "EngineTestSupport.h"

#include <QAbstractItemModelTester>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {

bool writeScene(const QString &path, const QString &name, int year, const QStringList &tags = {})
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    CScene scene;
    scene.SetId(name + QStringLiteral("-id"));
    scene.SetName(name);
    scene.sceneDate.year = quint16(year);
    scene.sceneDate.month = 1;
    scene.sceneDate.day = 1;
    scene.tagList = tags;
    return scene.Save(path, true);
}

} // namespace

// The catalogue on screen while the program runs: imports from the window and
// from a later start, and the scene folders changing under it.
class tst_LiveCatalogue : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void severalPackagesAreImportedAndListedInOrder();
    void handedOverImportIsListed();
    void folderChangesReachTheList_data();
    void folderChangesReachTheList();
    void ownWritesAreNoRemoveAndAdd();
    void manyScenesArriveInChunks();
    void removedSceneLeavesPlaylistEntryAndActiveScene();

private:
    QString userScene(const QString &rest) const { return m_user->filePath(QStringLiteral("scenes/") + rest); }
    QStringList listedNames() const;
    QStringList tagNames() const;
    // Adds a scene and waits for it: every change made before it has been
    // seen by then, since the folders are listed in the order they change.
    void settle();

    std::unique_ptr<QTemporaryDir> m_appDir;
    std::unique_ptr<QTemporaryDir> m_user;
    std::unique_ptr<QTemporaryDir> m_source;
    std::unique_ptr<CAppTypeQt> m_engine;
    std::unique_ptr<CConfigViewModel> m_config;
    std::unique_ptr<LiveCatalogue> m_live;
    std::unique_ptr<QAbstractItemModelTester> m_listTester;
    int m_settled = 0;
};

void tst_LiveCatalogue::init()
{
    m_appDir.reset(new QTemporaryDir);
    m_user.reset(new QTemporaryDir);
    m_source.reset(new QTemporaryDir);
    qputenv("KELVRA_APP_DIR", m_appDir->path().toLocal8Bit());
    qputenv("KELVRA_USER_DIR", m_user->path().toLocal8Bit());
    QVERIFY(writeScene(userScene("Old.kvc"), "Old", 2001, {"Calm"}));
    QVERIFY(writeScene(userScene("Sub/New.kvc"), "New", 2020));
    QVERIFY(writeScene(m_appDir->filePath("scenes/Official.kvc"), "Official", 2010));
    QDir().mkpath(m_user->filePath("playlists"));
    QVERIFY(EngineTest::writeFile(m_user->filePath("playlists/Mine.kvp"), "{}"));

    m_engine.reset(new CAppTypeQt(nullptr, QString()));
    QVERIFY(m_engine->Init());
    m_engine->Config()->playlistToRun = m_user->filePath("playlists/Mine.kvp");
    m_config.reset(Catalogue::createConfigViewModel(*m_engine));
    Catalogue::assembleCatalogue(*m_engine, *m_config);
    m_listTester.reset(new QAbstractItemModelTester(m_config->allScenes()));
    m_live.reset(new LiveCatalogue(*m_engine, *m_config));
    m_live->watcher().setDebounce(10);
    m_live->start();
    m_settled = 0;
    QCOMPARE(listedNames(), (QStringList{"New", "Official", "Old"}));
}

void tst_LiveCatalogue::cleanup()
{
    m_live.reset();
    m_listTester.reset();
    m_config.reset();
    m_engine.reset();
}

QStringList tst_LiveCatalogue::listedNames() const
{
    QStringList names;
    for (QObject *object : m_config->allScenes()->objects())
        names << qobject_cast<CSceneViewModel *>(object)->name();
    return names;
}

QStringList tst_LiveCatalogue::tagNames() const
{
    QStringList names;
    for (const CTagViewModel *tag : m_config->tagList())
        names << tag->name();
    return names;
}

void tst_LiveCatalogue::settle()
{
    const QString name = QStringLiteral("Marker%1").arg(++m_settled);
    QVERIFY(writeScene(userScene(name + QStringLiteral(".kvc")), name, 1990));
    QTRY_VERIFY(listedNames().contains(name));
}

void tst_LiveCatalogue::severalPackagesAreImportedAndListedInOrder()
{
    const QString newest = m_source->filePath("Newest.kvd");
    const QString middle = m_source->filePath("Middle.kvd");
    const QString duplicate = m_source->filePath("again/Middle.kvd");
    QVERIFY(writeScene(newest, "Newest", 2030, {"Fresh"}));
    QVERIFY(writeScene(middle, "Middle", 2005));
    QVERIFY(writeScene(duplicate, "Other middle", 2006));
    const QString missing = m_source->filePath("Missing.kvd");

    QSignalSpy messages(m_config.get(), &CConfigViewModel::messageRaised);
    QSignalSpy resets(m_config->allScenes(), &QAbstractItemModel::modelReset);
    m_live->importer().importScenes({QUrl::fromLocalFile(newest), QUrl::fromLocalFile(middle),
                                     QUrl::fromLocalFile(missing), QUrl::fromLocalFile(duplicate),
                                     QUrl(QStringLiteral("https://example.org/x.kvd"))});

    // Listed at once, at their places, without a reset.
    QCOMPARE(listedNames(), (QStringList{"Newest", "New", "Official", "Middle", "Old"}));
    QCOMPARE(resets.count(), 0);
    QVERIFY(tagNames().contains("Fresh"));
    QCOMPARE(messages.count(), 1);
    const QString text = messages.at(0).at(0).toString();
    QVERIFY2(text.startsWith("2 scenes imported. Not imported: "), qPrintable(text));
    QVERIFY2(text.contains(copyOutcomeMessage(CopyOutcome::Missing, missing)), qPrintable(text));
    QVERIFY2(text.contains("\u201cMiddle\u201d is already imported"), qPrintable(text));
    QVERIFY2(text.contains("https://example.org/x.kvd"), qPrintable(text));

    // The watcher then sees the copies and changes nothing.
    settle();
    QCOMPARE(listedNames().count("Newest"), 1);
    QCOMPARE(listedNames().count("Middle"), 1);
}

void tst_LiveCatalogue::handedOverImportIsListed()
{
    const QString package = m_source->filePath("Handed.kvd");
    QVERIFY(writeScene(package, "Handed", 2015));
    QCOMPARE(m_live->importer().importHandedOver(package), QString());
    QCOMPARE(listedNames(), (QStringList{"New", "Handed", "Official", "Old"}));

    // Refused as at start-up, with the same words; a name already imported is not.
    const QString missing = m_source->filePath("Gone.kvd");
    QCOMPARE(m_live->importer().importHandedOver(missing), copyOutcomeMessage(CopyOutcome::Missing, missing));
    QCOMPARE(m_live->importer().importHandedOver(package), QString());
    QCOMPARE(listedNames().count("Handed"), 1);
}

void tst_LiveCatalogue::folderChangesReachTheList_data()
{
    QTest::addColumn<QString>("change");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<bool>("calmCounted");

    QTest::addRow("added in a new folder") << "add" << QStringList{"Newer", "New", "Official", "Old"} << true;
    QTest::addRow("tags changed in place") << "retag" << QStringList{"New", "Official", "Old"} << false;
    QTest::addRow("tags changed, written in place") << "retagInPlace" << QStringList{"New", "Official", "Old"} << false;
    QTest::addRow("removed") << "remove" << QStringList{"New", "Official"} << false;
    QTest::addRow("folder removed") << "removeFolder" << QStringList{"Official", "Old"} << true;
    QTest::addRow("partial copies ignored") << "partial" << QStringList{"New", "Official", "Old"} << true;
}

void tst_LiveCatalogue::folderChangesReachTheList()
{
    QFETCH(QString, change);
    QFETCH(QStringList, names);
    QFETCH(bool, calmCounted);

    CSceneViewModel *old = m_config->sceneForFile(userScene("Old.kvc"));
    QVERIFY(old);
    old->setSelected(true);
    QSignalSpy resets(m_config->allScenes(), &QAbstractItemModel::modelReset);
    if (change == "add") {
        QVERIFY(writeScene(userScene("Deep/Deeper/Newer.kvc"), "Newer", 2025));
    } else if (change == "retag") {
        QVERIFY(writeScene(userScene("Old.kvc"), "Old", 2001, {"Stormy"}));
    } else if (change == "retagInPlace") {
        const QString other = m_source->filePath("Old.kvc");
        QVERIFY(writeScene(other, "Old", 2001, {"Stormy"}));
        QVERIFY(EngineTest::writeFile(userScene("Old.kvc"), EngineTest::readFile(other)));
        // Seen by itself: the marker below would list the folder again.
        QTRY_COMPARE(m_config->sceneForFile(userScene("Old.kvc"))->tags(), QStringList{"Stormy"});
    } else if (change == "remove") {
        QVERIFY(QFile::remove(userScene("Old.kvc")));
    } else if (change == "removeFolder") {
        QVERIFY(QDir(userScene("Sub")).removeRecursively());
    } else {
        QVERIFY(writeScene(userScene("Half.kvc.part-1f"), "Half", 2030));
    }
    settle();

    QStringList shown = listedNames();
    shown.removeAll(QStringLiteral("Marker1"));
    QCOMPARE(shown, names);
    QCOMPARE(resets.count(), 0);
    QCOMPARE(tagNames().contains("Calm"), calmCounted);
    if (change.startsWith("retag")) {
        CSceneViewModel *reread = m_config->sceneForFile(userScene("Old.kvc"));
        QCOMPARE(reread->tags(), QStringList{"Stormy"});
        QVERIFY(reread->selected());  // the tick stays
        QVERIFY(tagNames().contains("Stormy"));
    }
}

void tst_LiveCatalogue::ownWritesAreNoRemoveAndAdd()
{
    CSceneViewModel *old = m_config->sceneForFile(userScene("Old.kvc"));
    QSignalSpy removed(m_config->allScenes(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(m_config->allScenes(), &QAbstractItemModel::dataChanged);
    QCOMPARE(old->applyAddTag(QStringLiteral("Mine")), QString());
    settle();
    QCOMPARE(removed.count(), 0);
    QCOMPARE(changed.count(), 0);
    QCOMPARE(m_config->sceneForFile(userScene("Old.kvc")), old);
}

void tst_LiveCatalogue::manyScenesArriveInChunks()
{
    constexpr int total = 3 * SceneFolderWatcher::changeChunk + 5;
    for (int i = 0; i < total; ++i)
        QVERIFY(writeScene(m_source->filePath(QStringLiteral("many/%1.kvc").arg(i)), QString::number(i), 2000 + i % 30));
    QList<int> chunks;
    connect(&m_live->watcher(), &SceneFolderWatcher::scenesChanged, this,
            [&chunks](const QList<SceneFileChange> &changes) { chunks.append(changes.size()); });
    // All at once: one folder moved in.
    QVERIFY(QDir().rename(m_source->filePath("many"), userScene("many")));
    QTRY_COMPARE(m_config->allScenes()->count(), 3 + total);
    QVERIFY(chunks.size() >= 4);
    for (int size : qAsConst(chunks))
        QVERIFY(size <= SceneFolderWatcher::changeChunk);
    // Still newest first.
    const QList<QObject *> listed = m_config->allScenes()->objects();
    for (int row = 1; row < listed.size(); ++row) {
        QVERIFY(Catalogue::sceneDateSeconds(qobject_cast<CSceneViewModel *>(listed.at(row - 1))->scene().sceneDate)
                >= Catalogue::sceneDateSeconds(qobject_cast<CSceneViewModel *>(listed.at(row))->scene().sceneDate));
    }
}

void tst_LiveCatalogue::removedSceneLeavesPlaylistEntryAndActiveScene()
{
    CPlaylistViewModel *mine = m_config->activePlaylist();
    QVERIFY(mine);
    CSceneViewModel *old = m_config->sceneForFile(userScene("Old.kvc"));
    CSceneViewModel *fresh = m_config->sceneForFile(userScene("Sub/New.kvc"));
    old->setSelected(true);
    fresh->setSelected(true);
    m_config->storeSelection();
    QCOMPARE(mine->scenesSelected(), 2);
    m_config->setActiveScene(old);
    fresh->setSelected(false);  // unticked, not stored yet

    QPointer<CSceneViewModel> gone(old);
    QVERIFY(QFile::remove(userScene("Old.kvc")));
    QVERIFY(QFile::remove(userScene("Sub/New.kvc")));
    settle();
    QCOMPARE(m_config->activeScene(), nullptr);
    QCOMPARE(mine->scenesSelected(), 0);
    QTRY_VERIFY(gone.isNull());

    // The ticked scene's entry stays in the file, as one of a scene not
    // found; the unticked one's goes.
    m_config->storeSelection();
    CPlaylist file;
    QVERIFY(file.Load(mine->filepath()));
    QCOMPARE(file.totalScenes(), 1);

    // Back on disk, the scene takes its entry and its tick again.
    QVERIFY(writeScene(userScene("Old.kvc"), "Old", 2001, {"Calm"}));
    QTRY_VERIFY(m_config->sceneForFile(userScene("Old.kvc")));
    QVERIFY(m_config->sceneForFile(userScene("Old.kvc"))->selected());
    QCOMPARE(mine->scenesSelected(), 1);
}

QTEST_GUILESS_MAIN(tst_LiveCatalogue)
#include "tst_livecatalogue.moc"

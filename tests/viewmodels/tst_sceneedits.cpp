#include "EngineTestSupport.h"
#include "BulkSceneEdit.h"
#include "CConfigViewModel.h"
#include "PlaylistTestSupport.h"

#include <QSignalSpy>
#include <QtTest>

#include <memory>

// Edits of many scenes written off the GUI thread, and what follows scene
// edits: the tag list, the active scene, damaged scenes.
class TestSceneEdits : public ConfigViewModelFixture
{
    Q_OBJECT

private slots:
    void initTestCase() { env.setUp(); }
    void cleanupTestCase() { env.tearDown(); }
    void init();
    void cleanup();

    void reachCountsChangesAndHiddenOnes_data();
    void reachCountsChangesAndHiddenOnes();
    void bulkEditWritesFilesThenShowsThem();
    void bulkEditNamesFailures();
    void cancelledBeforeStartWritesNothing();
    void cancelledEditReportsWhatItWrote();
    void editsRefusedWhileBulkEditRuns();
    void tagListFollowsEdits();
    void filterTermWithoutScenesStaysUntilCleared();
    void activeSceneFollowsFilter();
    void damagedSceneIsMarkedAndNotPreviewed();
    void undoRestoresFilesAndScenes_data();
    void undoRestoresFilesAndScenes();

private:
    // Alpha {Space} and Beta {} selected (playlist A), Gamma {Space} not.
    void setUpCatalogue();
    bool waitForBulkEnd();
    static QStringList tagsOnDisk(const CSceneViewModel *scene);
    const CTagViewModel *tagNamed(const QString &name) const;
};

void TestSceneEdits::init()
{
    setUp();
}

void TestSceneEdits::cleanup()
{
    tearDown();
}

void TestSceneEdits::setUpCatalogue()
{
    alpha = env.makeScene(QStringLiteral("Alpha.kvc"), QStringLiteral("a"), CScene::Background, {"Space"});
    beta = env.makeScene(QStringLiteral("Beta.kvc"), QStringLiteral("b"), CScene::Foreground);
    gamma = env.makeScene(QStringLiteral("Gamma.kvc"), QStringLiteral("c"), CScene::Background, {"Space"});
    sceneModel->setObjects({alpha, beta, gamma});
    env.writePlaylist(env.playlistPath(QStringLiteral("A")), {{"a", alpha->filepath(), CScene::Background},
                                                              {"b", beta->filepath(), CScene::Foreground}});
    gApp->Config()->playlistToRun = env.playlistPath(QStringLiteral("A"));
    viewModel->setAllScenes(sceneModel);
    viewModel->setPlaylists({new CPlaylistViewModel(env.playlistPath(QStringLiteral("A")), QStringLiteral("A"), env.directory())});
    viewModel->setTags(CConfigViewModel::buildTagList({alpha, beta, gamma}));
}

// The edit ends with its message; the wait is for the worker threads, not a
// measure of time.
bool TestSceneEdits::waitForBulkEnd()
{
    if (!viewModel->bulkEditRunning())
        return true;
    QSignalSpy changed(viewModel.get(), &CConfigViewModel::bulkEditChanged);
    return changed.wait(20000) && !viewModel->bulkEditRunning();
}

QStringList TestSceneEdits::tagsOnDisk(const CSceneViewModel *scene)
{
    CScene stored;
    return stored.Load(scene->filepath(), false) ? stored.GetTags() : QStringList{QStringLiteral("<unreadable>")};
}

const CTagViewModel *TestSceneEdits::tagNamed(const QString &name) const
{
    for (const CTagViewModel *tag : viewModel->tagList()) {
        if (tag->name() == name)
            return tag;
    }
    return nullptr;
}

void TestSceneEdits::reachCountsChangesAndHiddenOnes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("tag");
    QTest::addColumn<bool>("value");
    QTest::addColumn<int>("changes");
    QTest::addColumn<int>("hidden");
    // The search shows Beta only: Alpha, selected, is hidden.
    QTest::addRow("new tag") << int(CConfigViewModel::BulkAddTag) << "Calm" << true << 2 << 1;
    QTest::addRow("tag one scene has already") << int(CConfigViewModel::BulkAddTag) << "Space" << true << 1 << 0;
    QTest::addRow("remove reaches only scenes with it") << int(CConfigViewModel::BulkRemoveTag) << "Space" << true << 1 << 1;
    QTest::addRow("tag nobody has, removed") << int(CConfigViewModel::BulkRemoveTag) << "Calm" << true << 0 << 0;
    QTest::addRow("filter word is no tag") << int(CConfigViewModel::BulkAddTag) << "Selected" << true << 0 << 0;
    QTest::addRow("type name is no tag") << int(CConfigViewModel::BulkAddTag) << "Background" << true << 0 << 0;
    QTest::addRow("blank tag") << int(CConfigViewModel::BulkAddTag) << "  " << true << 0 << 0;
    QTest::addRow("relicensing as it is") << int(CConfigViewModel::BulkSetRelicensing) << "" << true << 0 << 0;
    QTest::addRow("relicensing forbidden") << int(CConfigViewModel::BulkSetRelicensing) << "" << false << 2 << 1;
}

void TestSceneEdits::reachCountsChangesAndHiddenOnes()
{
    QFETCH(int, kind);
    QFETCH(QString, tag);
    QFETCH(bool, value);
    QFETCH(int, changes);
    QFETCH(int, hidden);
    setUpCatalogue();
    viewModel->searchScenes(QStringLiteral("Beta"));

    const QVariantMap reach = viewModel->bulkEditReach(kind, tag, value);
    QCOMPARE(reach.value(QStringLiteral("selected")).toInt(), 2);
    QCOMPARE(reach.value(QStringLiteral("changes")).toInt(), changes);
    QCOMPARE(reach.value(QStringLiteral("hidden")).toInt(), hidden);
    QCOMPARE(viewModel->startBulkEdit(kind, tag, value), changes > 0);
    QVERIFY(waitForBulkEnd());
}

void TestSceneEdits::bulkEditWritesFilesThenShowsThem()
{
    setUpCatalogue();
    QSignalSpy messages(viewModel.get(), &CConfigViewModel::messageRaised);
    QSignalSpy alphaTags(alpha, &CSceneViewModel::tagsChanged);

    QVERIFY(viewModel->startBulkEdit(CConfigViewModel::BulkAddTag, QStringLiteral(" Calm "), true));
    QVERIFY(viewModel->bulkEditRunning());
    QCOMPARE(viewModel->bulkEditTotal(), 2);
    QVERIFY(!viewModel->startBulkEdit(CConfigViewModel::BulkRemoveTag, QStringLiteral("Space"), true));
    QVERIFY(waitForBulkEnd());

    QCOMPARE(tagsOnDisk(alpha), (QStringList{"Space", "Calm"}));
    QCOMPARE(tagsOnDisk(beta), QStringList{"Calm"});
    QCOMPARE(tagsOnDisk(gamma), QStringList{"Space"});
    QCOMPARE(alpha->tags(), (QStringList{"Space", "Calm"}));
    QCOMPARE(alphaTags.count(), 1);
    QCOMPARE(messages.count(), 1);
    QCOMPARE(messages.first().first().toString(), QStringLiteral("Tag \u201cCalm\u201d added to 2 scenes."));

    // A scene that has the tag already is left alone: no tag listed twice.
    QVERIFY(viewModel->startBulkEdit(CConfigViewModel::BulkAddTag, QStringLiteral("Space"), true));
    QCOMPARE(viewModel->bulkEditTotal(), 1);
    QVERIFY(waitForBulkEnd());
    QCOMPARE(tagsOnDisk(alpha), (QStringList{"Space", "Calm"}));
    QCOMPARE(tagsOnDisk(beta), (QStringList{"Calm", "Space"}));
}

void TestSceneEdits::bulkEditNamesFailures()
{
    setUpCatalogue();
    QFile file(beta->filepath());   // no longer a scene archive
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write("junk") == 4);
    file.close();
    QSignalSpy messages(viewModel.get(), &CConfigViewModel::messageRaised);

    QVERIFY(viewModel->startBulkEdit(CConfigViewModel::BulkSetRelicensing, QString(), false));
    QVERIFY(waitForBulkEnd());

    QCOMPARE(alpha->relicensingPossible(), false);
    QCOMPARE(beta->relicensingPossible(), true);   // as its file said
    QCOMPARE(messages.count(), 1);
    const QString text = messages.first().first().toString();
    QVERIFY2(text.startsWith(QStringLiteral("Relicensing forbidden for 1 scene.")), qPrintable(text));
    QVERIFY2(text.contains(QStringLiteral("Beta.kvc")) && !text.contains(QStringLiteral("Alpha")), qPrintable(text));
}

void TestSceneEdits::cancelledBeforeStartWritesNothing()
{
    setUpCatalogue();
    const auto bytes = [](const QString &path) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    };
    const QByteArray before = bytes(alpha->filepath());
    BulkSceneEdit edit(SceneChange::addTag(QStringLiteral("Calm")), {alpha, beta});
    QSignalSpy finished(&edit, &BulkSceneEdit::finished);
    edit.cancel();
    edit.start();
    QVERIFY(finished.count() == 1 || finished.wait(20000));
    QCOMPARE(edit.done(), 2);
    QCOMPARE(edit.skipped(), 2);
    QVERIFY(edit.changedScenes().isEmpty());
    QCOMPARE(bytes(alpha->filepath()), before);
    QCOMPARE(alpha->tags(), QStringList{"Space"});   // the owner shows changes, not the edit
}

// Cancelled after the first file: what was written is on disk, shown and
// counted; the rest is untouched.
void TestSceneEdits::cancelledEditReportsWhatItWrote()
{
    QList<QObject *> objects;
    QList<CSceneViewModel *> scenes;
    for (int i = 0; i < 24; ++i) {
        CSceneViewModel *scene = env.makeScene(QStringLiteral("S%1.kvc").arg(i), QString::number(i), 0);
        scene->setSelected(true);
        objects.append(scene);
        scenes.append(scene);
    }
    sceneModel->setObjects(objects);
    viewModel->setAllScenes(sceneModel);
    QSignalSpy messages(viewModel.get(), &CConfigViewModel::messageRaised);
    connect(viewModel.get(), &CConfigViewModel::bulkEditProgressChanged, viewModel.get(),
            [this] { viewModel->cancelBulkEdit(); });

    QVERIFY(viewModel->startBulkEdit(CConfigViewModel::BulkAddTag, QStringLiteral("Calm"), true));
    QVERIFY(waitForBulkEnd());

    int written = 0;
    for (const CSceneViewModel *scene : scenes) {
        const bool onDisk = tagsOnDisk(scene) == QStringList{"Calm"};
        QCOMPARE(scene->tags() == QStringList{"Calm"}, onDisk);
        written += onDisk;
    }
    QVERIFY(written >= 1);
    QCOMPARE(messages.count(), 1);
    const QString text = messages.first().first().toString();
    QVERIFY2(text.startsWith(QStringLiteral("Tag \u201cCalm\u201d added to %1 scene").arg(written)), qPrintable(text));
    if (written < scenes.size())
        QVERIFY2(text.contains(QStringLiteral("Cancelled: %1 scene").arg(scenes.size() - written)), qPrintable(text));
}

void TestSceneEdits::editsRefusedWhileBulkEditRuns()
{
    setUpCatalogue();
    QSignalSpy messages(viewModel.get(), &CConfigViewModel::messageRaised);
    QVERIFY(viewModel->startBulkEdit(CConfigViewModel::BulkAddTag, QStringLiteral("Calm"), true));
    viewModel->removeTag(QStringLiteral("Space"));
    gamma->addTag(QStringLiteral("Dark"));
    QCOMPARE(messages.count(), 2);
    QVERIFY(waitForBulkEnd());
    QCOMPARE(tagsOnDisk(alpha), (QStringList{"Space", "Calm"}));
    QCOMPARE(tagsOnDisk(gamma), QStringList{"Space"});
}

// A tag made by an edit joins the list at once, scores follow, and a tag no
// scene has any more leaves; the list is announced only when it changes.
void TestSceneEdits::tagListFollowsEdits()
{
    setUpCatalogue();
    QSignalSpy listChanged(viewModel.get(), &CConfigViewModel::tagsChanged);
    QVERIFY(!tagNamed(QStringLiteral("Calm")));

    gamma->addTag(QStringLiteral("Calm"));
    QVERIFY(tagNamed(QStringLiteral("Calm")));
    QCOMPARE(tagNamed(QStringLiteral("Calm"))->score(), 1.0f);
    QCOMPARE(listChanged.count(), 1);

    const CTagViewModel *space = tagNamed(QStringLiteral("Space"));
    gamma->removeTag(QStringLiteral("Space"));
    QCOMPARE(tagNamed(QStringLiteral("Space")), space);   // the same object, rescored
    QCOMPARE(space->score(), 1.0f);
    QCOMPARE(listChanged.count(), 1);

    gamma->setRelicensingPossible(false);
    QVERIFY(tagNamed(QStringLiteral("NoRelicensing")));
    alpha->removeTag(QStringLiteral("Space"));
    QVERIFY(!tagNamed(QStringLiteral("Space")));

    alpha->addTag(QStringLiteral("Space"));   // back: the object QML knew
    QCOMPARE(tagNamed(QStringLiteral("Space")), space);
    const QList<CTagViewModel *> &tags = viewModel->tagList();
    for (int i = 1; i < tags.size(); ++i)
        QVERIFY(tags.at(i - 1)->score() >= tags.at(i)->score());
}

void TestSceneEdits::filterTermWithoutScenesStaysUntilCleared()
{
    setUpCatalogue();
    viewModel->selectTag(QStringLiteral("Space"), true);
    alpha->removeTag(QStringLiteral("Space"));
    gamma->removeTag(QStringLiteral("Space"));
    QVERIFY(tagNamed(QStringLiteral("Space")));   // the user can still clear it
    QCOMPARE(tagNamed(QStringLiteral("Space"))->score(), 0.0f);

    viewModel->selectTag(QStringLiteral("Space"), false);
    QVERIFY(tagNamed(QStringLiteral("Space")));   // not while the caller walks the list
    QCoreApplication::processEvents();
    QVERIFY(!tagNamed(QStringLiteral("Space")));
    QCOMPARE(viewModel->filteredScenes()->rowCount(), 3);
}

void TestSceneEdits::activeSceneFollowsFilter()
{
    setUpCatalogue();
    viewModel->setActiveScene(gamma);
    viewModel->searchScenes(QStringLiteral("a"));   // all three contain an "a"
    QCOMPARE(viewModel->activeScene(), gamma);
    QCOMPARE(viewModel->visibleRowOf(gamma), 2);

    viewModel->selectTag(QStringLiteral("Selected"), true);
    QCOMPARE(viewModel->activeScene(), nullptr);
    QCOMPARE(viewModel->visibleRowOf(gamma), -1);

    viewModel->setActiveScene(beta);
    viewModel->filteredScenes()->sort(0, Qt::DescendingOrder);
    QCOMPARE(viewModel->activeScene(), beta);
    QCOMPARE(viewModel->visibleRowOf(beta), 0);
    beta->setSelected(false);   // leaves the "Selected" view
    QCOMPARE(viewModel->activeScene(), nullptr);
    QCOMPARE(viewModel->visibleRowOf(nullptr), -1);
}

void TestSceneEdits::damagedSceneIsMarkedAndNotPreviewed()
{
    const QString path = env.scenePath(QStringLiteral("Broken.kvc"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write("not a scene") > 0);
    file.close();
    CSceneViewModel broken(path, false);
    CSceneViewModel *fine = env.makeScene(QStringLiteral("Fine.kvc"), QStringLiteral("f"), 0);
    QVERIFY(!broken.readable());
    QVERIFY(!broken.loadError().isEmpty());
    QCOMPARE(broken.fileName(), QStringLiteral("Broken.kvc"));
    QVERIFY(fine->readable());
    QVERIFY(fine->loadError().isEmpty());

    QSignalSpy messages(viewModel.get(), &CConfigViewModel::messageRaised);
    viewModel->setActiveScene(&broken);
    viewModel->previewSelectedScene();
    QVERIFY(env.starts.isEmpty());
    QCOMPARE(messages.count(), 1);
    const QString text = messages.first().first().toString();
    QVERIFY2(text.contains(QStringLiteral("Broken.kvc")) && text.contains(broken.loadError()), qPrintable(text));
    viewModel->setActiveScene(nullptr);

    // Selected, it is left out of edits of many scenes and counted apart.
    sceneModel->setObjects({&broken, fine});
    viewModel->setAllScenes(sceneModel);
    broken.setSelected(true);
    fine->setSelected(true);
    const QVariantMap reach = viewModel->bulkEditReach(CConfigViewModel::BulkAddTag, QStringLiteral("Calm"), true);
    QCOMPARE(reach.value(QStringLiteral("changes")).toInt(), 1);
    QCOMPARE(reach.value(QStringLiteral("unreadable")).toInt(), 1);
    sceneModel->setObjects({});
}

namespace {

QByteArray fileBytes(const CSceneViewModel *scene)
{
    QFile file(scene->filepath());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

} // namespace

// Undo puts back the very bytes each file had and shows them; a file changed
// since by someone else is left as it is and named.
void TestSceneEdits::undoRestoresFilesAndScenes_data()
{
    QTest::addColumn<bool>("fromDetailsPane");
    QTest::addColumn<bool>("changedSince");
    QTest::addRow("bulk edit") << false << false;
    QTest::addRow("bulk edit, one file changed since") << false << true;
    QTest::addRow("one scene") << true << false;
    QTest::addRow("one scene, its file changed since") << true << true;
}

void TestSceneEdits::undoRestoresFilesAndScenes()
{
    QFETCH(bool, fromDetailsPane);
    QFETCH(bool, changedSince);
    setUpCatalogue();
    const QByteArray alphaBefore = fileBytes(alpha);
    const QByteArray betaBefore = fileBytes(beta);
    QSignalSpy messages(viewModel.get(), &CConfigViewModel::messageRaised);
    QSignalSpy notices(viewModel.get(), &CConfigViewModel::noticeRaised);

    if (fromDetailsPane) {
        alpha->addTag(QStringLiteral("Calm"));
        QCOMPARE(notices.count(), 1);
        QCOMPARE(viewModel->undoMessage(), notices.first().first().toString());
    } else {
        QVERIFY(viewModel->startBulkEdit(CConfigViewModel::BulkAddTag, QStringLiteral("Calm"), true));
        QVERIFY(waitForBulkEnd());
        QCOMPARE(viewModel->undoMessage(), messages.first().first().toString());
    }
    QVERIFY(tagNamed(QStringLiteral("Calm")));
    CSceneViewModel *touched = fromDetailsPane ? alpha : beta;
    QByteArray other;
    if (changedSince) {
        CScene rewritten;
        rewritten.SetName(QStringLiteral("Rewritten"));
        rewritten.tagList = QStringList{QStringLiteral("Other")};
        QVERIFY(rewritten.Save(touched->filepath(), true));
        other = fileBytes(touched);
    }
    messages.clear();
    QSignalSpy alphaTags(alpha, &CSceneViewModel::tagsChanged);

    QCOMPARE(viewModel->undo(), !changedSince);
    QVERIFY(!viewModel->history()->canUndo());
    QVERIFY(viewModel->undoMessage().isEmpty());
    if (!fromDetailsPane || !changedSince) {
        QCOMPARE(fileBytes(alpha), alphaBefore);
        QCOMPARE(alpha->tags(), QStringList{"Space"});
        QCOMPARE(alphaTags.count(), 1);
    }
    if (!fromDetailsPane && !changedSince) {
        QCOMPARE(fileBytes(beta), betaBefore);
        QVERIFY(beta->tags().isEmpty());
        QVERIFY(!tagNamed(QStringLiteral("Calm")));
    }
    if (changedSince) {
        QCOMPARE(fileBytes(touched), other);
        QCOMPARE(messages.count(), 1);
        QVERIFY2(messages.first().first().toString().contains(touched->displayName()),
                 qPrintable(messages.first().first().toString()));
    }
    QVERIFY(QDir(env.userDir + QStringLiteral("/undo")).entryList(QDir::Files).isEmpty());
}

QTEST_GUILESS_MAIN(TestSceneEdits)
#include "tst_sceneedits.moc"
